#pragma once
// Who a result is across runs, as diff matches them: its path of names (the
// driver, the enclosing entries, its own name) and its type, and among the
// results of one report with the same path and type, its repeat number (the
// k-th in document order matches the k-th). Every name is stored once and
// every path is one node of a shared tree, so that a result's key is two
// 32-bit numbers; nothing is ever copied to grow. diff matches two reports by
// it; the history store matches a report with the runs it remembers by it
// (its paths stored as a tree of names too).

#include "xrdtool/common/chunked_array.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

namespace xrdtool {

/// Distinct byte strings, each stored once, numbered from 0.
class NameTable {
public:
    /// More names than this do not fit a record's type field; interning one
    /// more raises std::bad_alloc, like any other exhausted memory.
    static constexpr std::uint32_t MaxNames = (1u << 30) - 1;

    NameTable();
    /// The number of `text`, added when new.
    std::uint32_t intern(std::string_view text);
    /// The text of a number.
    std::string_view view(std::uint32_t id) const;
    /// The text of a number, as a string of its own.
    std::string text(std::uint32_t id) const { return std::string(view(id)); }
    /// Number of distinct texts.
    std::size_t size() const { return starts_.size(); }
    /// The bytes of the distinct texts themselves.
    std::size_t textBytes() const { return textBytes_; }
    /// Bytes held, texts included, for the memory budget.
    std::size_t bytes() const;

private:
    std::uint32_t store(std::string_view text);
    void grow();

    // Each text is stored as its length (7 bits a byte, low bits first) and
    // its bytes, in blocks of BlockSize bytes; a longer text has a block of its
    // own that takes the numbers of as many blocks. starts_ holds where each
    // text begins: block number << 16 | offset.
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_; // bytes used in the last block
    std::size_t blockBytes_ = 0;
    ChunkedArray<std::uint32_t> starts_;
    // Open addressing: 0 = empty, else the high half of the text's hash above
    // id + 1, so that a probe compares texts only when the hashes agree
    // (names often share long starts).
    std::vector<std::uint64_t> slots_;
    std::size_t textBytes_ = 0;
};

/// Entry paths as a tree of (parent, name) nodes; node 0 is the empty path.
class PathTable {
public:
    PathTable();
    /// The node of `parent` followed by the name `name`, added when new.
    std::uint32_t child(std::uint32_t parent, std::uint32_t name);
    /// The names from the top down to `node`.
    std::vector<std::uint32_t> names(std::uint32_t node) const;
    /// Number of nodes, the empty path included.
    std::size_t size() const { return nodes_.size(); }
    /// The parent and the name of a node other than 0.
    std::uint32_t parentOf(std::uint32_t node) const { return std::uint32_t(nodes_[node] >> 32); }
    /// The NameTable id of a node's last name.
    std::uint32_t nameOf(std::uint32_t node) const { return std::uint32_t(nodes_[node] & 0xFFFFFFFFu); }
    /// Bytes held, for the memory budget.
    std::size_t bytes() const;

private:
    void grow();

    ChunkedArray<std::uint64_t> nodes_; // parent << 32 | name
    std::vector<std::uint32_t> slots_;
};

/// Interns the type words of results into a NameTable: they are few and come
/// in runs (a suite of test cases), so the last one is kept and most lookups
/// compare one short text instead of hashing it.
class TypeNames {
public:
    explicit TypeNames(NameTable& names) : names_(names) {}
    /// The NameTable id of `type`.
    std::uint32_t intern(std::string_view type)
    {
        if (!known_ || type != last_) {
            last_.assign(type.data(), type.size());
            id_ = names_.intern(type);
            known_ = true;
        }
        return id_;
    }

private:
    NameTable& names_;
    std::string last_;
    std::uint32_t id_ = 0;
    bool known_ = false;
};

/// A result's identity but for its repeat number: the PathTable node of its
/// path and the NameTable id of its type as written.
struct ResultKey {
    std::uint32_t path = 0;
    std::uint32_t type = 0;
};

/// Compares two keys (path, then type): <0, 0 or >0.
inline int compareKeys(const ResultKey& l, const ResultKey& r)
{
    if (l.path != r.path)
        return l.path < r.path ? -1 : 1;
    if (l.type != r.type)
        return l.type < r.type ? -1 : 1;
    return 0;
}

/// The numbers 0 to count - 1 of a report's results (in document order)
/// ordered by key, and among equal keys by number: the repeat numbers in
/// order. `keyOf(number)` gives a result's ResultKey.
template <typename KeyOf> std::vector<std::uint32_t> identityOrder(std::size_t count, KeyOf keyOf)
{
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&keyOf](std::uint32_t x, std::uint32_t y) {
        const int keys = compareKeys(keyOf(x), keyOf(y));
        return keys != 0 ? keys < 0 : x < y;
    });
    return order;
}

/// A result's whole identity: its key and its repeat number (1 for the first
/// result with that key in document order, 2 for the second, ...).
struct ResultIdentity {
    ResultKey key;
    std::uint32_t repeat = 1;
};

/// A value per identity: the history store's index of a series' results
/// costs a few words per result, not a heap block each. Nearly every result
/// is the only one of its path (repeat 1, one type), and path nodes are
/// numbered densely, so those sit in an array by path node, one 8-byte cell
/// each, where a lookup is one memory access; the others go to an
/// open-addressed table of 16-byte slots.
class IdentityMap {
public:
    /// What find() returns for an identity that is not there.
    static constexpr std::uint32_t Missing = ~std::uint32_t(0);

    IdentityMap();
    /// The value of `identity`, or Missing.
    std::uint32_t find(const ResultIdentity& identity) const;
    /// The value of `identity`, added as Missing when new.
    std::uint32_t& operator[](const ResultIdentity& identity);
    /// Number of identities.
    std::size_t size() const { return used_; }

private:
    struct Slot {
        std::uint32_t path;
        std::uint32_t type;
        std::uint32_t repeat; // 0: an empty slot
        std::uint32_t value;
    };
    /// The identity with repeat 1 and the first type seen at a path node.
    struct Cell {
        std::uint32_t typePlusOne; // 0: none yet
        std::uint32_t value;
    };
    std::size_t slotOf(const ResultIdentity& identity) const;
    void grow();

    std::vector<Cell> byPath_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

/// Repeat numbers as a report's results stream by in document order: the
/// k-th result with one key is repeat k, as identityOrder numbers them.
class RepeatCounter {
public:
    /// The repeat number of the next result with `key`.
    std::uint32_t next(const ResultKey& key);

private:
    IdentityMap counts_; // by key, with repeat 1 standing for every repeat
};

} // namespace xrdtool
