#include "xrdtool/common/result_identity.h"

#include <cstring>
#include <new>

namespace xrdtool {

namespace {

constexpr std::size_t BlockSize = std::size_t(1) << 16;
constexpr std::size_t MaxBlocks = std::size_t(1) << 16; // block numbers fit 16 bits
/// Slot tables start at this size and double when three quarters are used.
constexpr std::size_t FirstSlots = 1024;

std::uint64_t hashBytes(const char* data, std::size_t size)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ull;
    }
    return hash ^ (hash >> 29);
}

std::uint64_t mix(std::uint64_t key)
{
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdull;
    key ^= key >> 33;
    return key;
}

bool full(std::size_t used, std::size_t slots)
{
    return used * 4 > slots * 3;
}

std::size_t lengthBytes(std::size_t length)
{
    std::size_t bytes = 1;
    for (; length >= 0x80; length >>= 7)
        ++bytes;
    return bytes;
}

/// The text stored at `at`: its length, then its bytes.
std::string_view storedText(const char* at)
{
    std::size_t length = 0;
    unsigned shift = 0;
    for (;; ++at, shift += 7) {
        const unsigned char byte = static_cast<unsigned char>(*at);
        length |= std::size_t(byte & 0x7Fu) << shift;
        if (byte < 0x80)
            break;
    }
    return std::string_view(at + 1, length);
}

} // namespace

NameTable::NameTable() : used_(BlockSize), slots_(FirstSlots, 0)
{}

std::uint32_t NameTable::store(std::string_view text)
{
    const std::size_t need = lengthBytes(text.size()) + text.size();
    std::size_t block = blocks_.size();
    const std::size_t spans = need <= BlockSize ? 1 : (need + BlockSize - 1) / BlockSize;
    char* at = nullptr;
    if (need > BlockSize) {
        // A long text alone in a block, which takes the numbers of as many
        // blocks; the next text starts a new one.
        if (block + spans > MaxBlocks)
            throw std::bad_alloc();
        blocks_.reserve(block + spans);
        blocks_.emplace_back(new char[need]); // no throw between: the room is reserved
        blocks_.resize(block + spans);
        blockBytes_ += need;
        at = blocks_[block].get();
        used_ = BlockSize;
    } else {
        if (used_ + need > BlockSize) {
            if (block == MaxBlocks)
                throw std::bad_alloc();
            std::unique_ptr<char[]> fresh(new char[BlockSize]);
            blocks_.push_back(std::move(fresh));
            blockBytes_ += BlockSize;
            used_ = 0;
        } else {
            --block;
        }
        at = blocks_[block].get() + used_;
    }
    const std::uint32_t start = std::uint32_t(block << 16 | (need > BlockSize ? 0 : used_));
    std::size_t length = text.size();
    for (; length >= 0x80; length >>= 7)
        *at++ = char(0x80 | (length & 0x7F));
    *at++ = char(length);
    std::memcpy(at, text.data(), text.size());
    if (need <= BlockSize)
        used_ += need;
    textBytes_ += text.size();
    return start;
}

std::string_view NameTable::view(std::uint32_t id) const
{
    const std::uint32_t start = starts_[id];
    return storedText(blocks_[start >> 16].get() + (start & 0xFFFFu));
}

void NameTable::grow()
{
    std::vector<std::uint64_t> slots(slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (const std::uint64_t slot : slots_) {
        if (slot == 0)
            continue;
        const std::string_view text = view(std::uint32_t(slot) - 1);
        std::size_t at = hashBytes(text.data(), text.size()) & mask;
        while (slots[at] != 0)
            at = (at + 1) & mask;
        slots[at] = slot;
    }
    slots_.swap(slots);
}

std::uint32_t NameTable::intern(std::string_view text)
{
    const std::uint64_t hash = hashBytes(text.data(), text.size());
    const std::uint64_t tag = hash >> 32 << 32;
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at] != 0) {
        const std::uint32_t id = std::uint32_t(slots_[at]) - 1;
        if ((slots_[at] & ~std::uint64_t(0xFFFFFFFFu)) == tag && view(id) == text)
            return id;
        at = (at + 1) & mask;
    }
    if (starts_.size() >= MaxNames)
        throw std::bad_alloc();
    const std::uint32_t id = std::uint32_t(starts_.size());
    starts_.push_back(store(text));
    slots_[at] = tag | (id + 1);
    if (full(starts_.size(), slots_.size()))
        grow();
    return id;
}

std::size_t NameTable::bytes() const
{
    return blockBytes_ + blocks_.capacity() * sizeof(blocks_[0]) + starts_.bytes() +
        slots_.capacity() * sizeof(std::uint64_t);
}

PathTable::PathTable() : slots_(FirstSlots, 0)
{
    nodes_.push_back(~std::uint64_t(0));
}

void PathTable::grow()
{
    std::vector<std::uint32_t> slots(slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t id = 1; id < nodes_.size(); ++id) {
        std::size_t at = mix(nodes_[id]) & mask;
        while (slots[at] != 0)
            at = (at + 1) & mask;
        slots[at] = id;
    }
    slots_.swap(slots);
}

std::uint32_t PathTable::child(std::uint32_t parent, std::uint32_t name)
{
    const std::uint64_t key = (std::uint64_t(parent) << 32) | name;
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = mix(key) & mask;
    while (slots_[at] != 0) {
        if (nodes_[slots_[at]] == key)
            return slots_[at];
        at = (at + 1) & mask;
    }
    if (nodes_.size() > 0xFFFFFFFEu)
        throw std::bad_alloc();
    const std::uint32_t id = std::uint32_t(nodes_.size());
    nodes_.push_back(key);
    slots_[at] = id;
    if (full(nodes_.size(), slots_.size()))
        grow();
    return id;
}

std::vector<std::uint32_t> PathTable::names(std::uint32_t node) const
{
    std::vector<std::uint32_t> names;
    while (node != 0) {
        names.push_back(nameOf(node));
        node = parentOf(node);
    }
    std::reverse(names.begin(), names.end());
    return names;
}

std::size_t PathTable::bytes() const
{
    return nodes_.bytes() + slots_.capacity() * sizeof(std::uint32_t);
}

IdentityMap::IdentityMap() : slots_(FirstSlots, Slot{0, 0, 0, 0})
{}

std::size_t IdentityMap::slotOf(const ResultIdentity& identity) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = mix((std::uint64_t(identity.key.path) << 32 | identity.key.type) ^
                         std::uint64_t(identity.repeat) * 0x9E3779B97F4A7C15ull) &
        mask;
    while (slots_[at].repeat != 0 &&
           (slots_[at].path != identity.key.path || slots_[at].type != identity.key.type ||
            slots_[at].repeat != identity.repeat))
        at = (at + 1) & mask;
    return at;
}

std::uint32_t IdentityMap::find(const ResultIdentity& identity) const
{
    if (identity.repeat == 1 && identity.key.path < byPath_.size() &&
        byPath_[identity.key.path].typePlusOne == identity.key.type + 1)
        return byPath_[identity.key.path].value;
    const Slot& slot = slots_[slotOf(identity)];
    return slot.repeat == 0 ? Missing : slot.value;
}

std::uint32_t& IdentityMap::operator[](const ResultIdentity& identity)
{
    if (identity.repeat == 1) {
        const std::uint32_t path = identity.key.path;
        if (path >= byPath_.size())
            byPath_.resize(std::max<std::size_t>(path + 1, byPath_.size() * 2), Cell{0, 0});
        Cell& cell = byPath_[path];
        if (cell.typePlusOne == 0) {
            cell = Cell{identity.key.type + 1, Missing};
            ++used_;
        }
        if (cell.typePlusOne == identity.key.type + 1)
            return cell.value;
    }
    std::size_t at = slotOf(identity);
    if (slots_[at].repeat == 0) {
        if (full(used_ + 1, slots_.size())) {
            grow();
            at = slotOf(identity);
        }
        slots_[at] = Slot{identity.key.path, identity.key.type, identity.repeat, Missing};
        ++used_;
    }
    return slots_[at].value;
}

void IdentityMap::grow()
{
    std::vector<Slot> old(slots_.size() * 2, Slot{0, 0, 0, 0});
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.repeat != 0)
            slots_[slotOf(ResultIdentity{ResultKey{slot.path, slot.type}, slot.repeat})] = slot;
    }
}

std::uint32_t RepeatCounter::next(const ResultKey& key)
{
    std::uint32_t& count = counts_[ResultIdentity{key, 1}];
    count = count == IdentityMap::Missing ? 1 : count + 1;
    return count;
}

} // namespace xrdtool
