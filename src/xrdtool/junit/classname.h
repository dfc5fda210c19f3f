#pragma once
// The classnames of one suite's testcases: the suite's name and the names of
// the enclosing entries, joined by ".". Bounded, so that the file grows with
// the report, not with the square of its depth: a path of more than
// ClassnameHead + ClassnameTail + 2 names keeps its first and last names and
// one name "… N levels …" between them (as html writes long paths), and every
// classname is cut at ClassnameLimit bytes.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace xrdtool {

/// Names kept at the start and at the end of a long path.
constexpr std::size_t ClassnameHead = 4;
constexpr std::size_t ClassnameTail = 6;
/// Longest classname in bytes; longer ones are cut at a character boundary.
constexpr std::size_t ClassnameLimit = 4096;

/// The path of names of the entries open in a suite.
class ClassnamePath {
public:
    /// Starts a suite: `prefix` as given, then the suite's name.
    void start(const std::string& prefix, const std::string& suiteName);
    /// An enclosing entry opens.
    void push(const std::string& name);
    /// The innermost one closes.
    void pop();
    /// The classname of a testcase inside the names pushed now; valid until
    /// the next call.
    const std::string& classname();
    /// A hash of the last classname(): its pieces between the dots after the
    /// prefix, chained (hashPiece). Equal classnames have equal hashes; while
    /// the classname is the joined path it is kept per level, so that it
    /// costs nothing per testcase.
    std::uint64_t hash() const { return hash_; }

    /// A hash of `size` bytes at `data`, eight at a time, chained from `hash`.
    static std::uint64_t hashPiece(std::uint64_t hash, const char* data, std::size_t size);
    /// What a chain of pieces starts from.
    static constexpr std::uint64_t HashStart = 0x9E3779B97F4A7C15ull;

private:
    /// Appends a name: "." inside a name would read as a package separator.
    void append(const std::string& name);
    /// The hash of bounded_, by the pieces its dots after the prefix separate.
    std::uint64_t boundedHash() const;

    /// The names joined by ".", the prefix (of prefixSize_ bytes) before the first.
    std::string joined_;
    std::size_t prefixSize_ = 0;
    /// Where each name ends in joined_, and the hash of joined_ up to there
    /// (deques: no doubling however deep).
    std::deque<std::size_t> ends_;
    std::deque<std::uint64_t> hashes_;
    std::uint64_t hash_ = HashStart;
    /// The bounded classname, when joined_ is not it.
    std::string bounded_;
};

} // namespace xrdtool
