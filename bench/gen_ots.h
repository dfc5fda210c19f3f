#pragma once
// The OTS files of the generated campaign: a library of stubs, procedures and
// classes under test, and test scripts that call into it.

#include "gen_common.h"

#include <string>
#include <vector>

namespace gen {

/// Writes OTS records of one file and records its elements for the trace.
class OtsWriter {
public:
    OtsWriter(const std::string& path, uint8_t file, std::vector<Elem>& elems, Rng& rng)
        : out_(path), file_(file), elems_(elems), rng_(rng)
    {}

    void header(const std::string& sourceName, uint32_t ck1, uint32_t ck2)
    {
        out_ << "VO Kestrel Test Compiler 8.3.0.1\n";
        out_ << "DP Wed Mar 19 14:22:05 2025\n";
        out_ << "CK ";
        out_.hex(ck1) << ' ';
        out_.hex(ck2) << '\n';
        out_ << "OF \"tests/\" \"" << sourceName << "\" 0\n";
    }

    /// Writes one element record under the element `parent` (an index into
    /// the vector, or NoRef for the file's root) and returns its index.
    uint32_t add(Kind kind, const std::string& name, uint32_t parent, uint32_t ref = NoRef,
                 uint32_t refId = 0)
    {
        const uint32_t id = nextId_++;
        line_ += 1 + rng_.below(3);
        out_ << Codes[kind] << ' ';
        out_.hex(id) << " \"";
        for (const char c : name) {
            if (c == '"' || c == '\\')
                out_ << '\\';
            out_ << c;
        }
        out_ << "\" line=";
        out_.dec(line_) << " p=";
        out_.hex(parent == NoRef ? 1 : elems_[parent].id) << ';';
        if (ref != NoRef) {
            out_ << " r=";
            out_.hex(refId) << ';';
        }
        out_ << '\n';
        elems_.push_back({id, 0, ref, uint8_t(kind), file_});
        return uint32_t(elems_.size() - 1);
    }

    /// Closes the subtree of an element: everything added since is beneath it.
    void close(uint32_t index) { elems_[index].end = uint32_t(elems_.size()); }

    /// Elements added to this file so far.
    uint32_t count() const { return nextId_ - 2; }

private:
    Out out_;
    uint8_t file_;
    std::vector<Elem>& elems_;
    Rng& rng_;
    uint32_t nextId_ = 2; // the root has id 1
    uint32_t line_ = 0;
};

/// Draws the library's elements (about `budget` of them) and notes its stubs,
/// procedures and classes in `lib`.
void buildLibrary(OtsWriter& w, Rng& r, uint32_t budget, Library& lib);

/// The shape of the test cases of the scripts. The default draws 3 to 10
/// checks per test case; a dense campaign draws 1 to 4, so that the report
/// holds more, shorter results per megabyte (what a reader of the report
/// spends per result, not per byte, shows there).
struct ScriptShape {
    uint32_t minChecks = 3;  ///< fewest checks, comments and calls in a test case
    uint32_t maxChecks = 10; ///< most of them
};

/// Draws a test script of about `budget` elements that calls into the library.
void buildScript(OtsWriter& w, Rng& r, uint32_t budget, const Library& lib, const std::vector<Elem>& elems,
                 const ScriptShape& shape);

} // namespace gen
