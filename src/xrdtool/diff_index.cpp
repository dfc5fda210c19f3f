#include "xrdtool/diff_index.h"

#include <algorithm>
#include <numeric>

namespace xrdtool {

namespace {

std::uint64_t hashBytes(const char* data, std::size_t size)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(data[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::uint64_t mix(std::uint64_t key)
{
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdull;
    key ^= key >> 33;
    return key;
}

} // namespace

NameTable::NameTable() : slots_(1024, 0) {}

bool NameTable::equal(std::uint32_t id, const std::string& text) const
{
    const std::uint64_t begin = id == 0 ? 0 : ends_[id - 1];
    const std::uint64_t end = ends_[id];
    return end - begin == text.size() && arena_.compare(begin, text.size(), text) == 0;
}

void NameTable::grow()
{
    std::vector<std::uint32_t> slots(slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    for (std::uint32_t id = 0; id < ends_.size(); ++id) {
        const std::uint64_t begin = id == 0 ? 0 : ends_[id - 1];
        std::size_t at = hashBytes(arena_.data() + begin, ends_[id] - begin) & mask;
        while (slots[at] != 0)
            at = (at + 1) & mask;
        slots[at] = id + 1;
    }
    slots_.swap(slots);
}

std::uint32_t NameTable::intern(const std::string& text)
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hashBytes(text.data(), text.size()) & mask;
    while (slots_[at] != 0) {
        if (equal(slots_[at] - 1, text))
            return slots_[at] - 1;
        at = (at + 1) & mask;
    }
    const std::uint32_t id = std::uint32_t(ends_.size());
    arena_ += text;
    ends_.push_back(arena_.size());
    slots_[at] = id + 1;
    if (ends_.size() * 2 > slots_.size())
        grow();
    return id;
}

std::string NameTable::text(std::uint32_t id) const
{
    const std::uint64_t begin = id == 0 ? 0 : ends_[id - 1];
    return arena_.substr(begin, ends_[id] - begin);
}

std::size_t NameTable::bytes() const
{
    return arena_.capacity() + ends_.capacity() * sizeof(std::uint64_t) + slots_.capacity() * sizeof(std::uint32_t);
}

PathTable::PathTable() : nodes_(1, ~std::uint64_t(0)), slots_(1024, 0) {}

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
    const std::uint32_t id = std::uint32_t(nodes_.size());
    nodes_.push_back(key);
    slots_[at] = id;
    if (nodes_.size() * 2 > slots_.size())
        grow();
    return id;
}

std::vector<std::uint32_t> PathTable::names(std::uint32_t node) const
{
    std::vector<std::uint32_t> names;
    while (node != 0) {
        names.push_back(std::uint32_t(nodes_[node] & 0xFFFFFFFFu));
        node = std::uint32_t(nodes_[node] >> 32);
    }
    std::reverse(names.begin(), names.end());
    return names;
}

std::size_t PathTable::bytes() const
{
    return nodes_.capacity() * sizeof(std::uint64_t) + slots_.capacity() * sizeof(std::uint32_t);
}

namespace {

class IndexHandler : public xrd::ReportHandler {
public:
    IndexHandler(NameTable& names, PathTable& paths, ReportResults& out) : names_(names), paths_(paths), out_(out) {}

    void summary(const xrd::Summary& summary) override { out_.summary = summary; }
    bool keepTables(const xrd::Entry&) const override { return false; }

    void entryOpened(const xrd::Entry& entry) override
    {
        // The global entry (depth 0) is not part of any path.
        const std::uint32_t parent = nodes_.empty() ? 0 : nodes_.back();
        nodes_.push_back(entry.depth == 0 ? 0 : paths_.child(parent, names_.intern(entry.name)));
        slots_.push_back(entry.counted ? out_.results.size() : kNone);
        if (entry.counted)
            out_.results.emplace_back();
    }

    void entryClosed(const xrd::Entry& entry) override
    {
        if (entry.counted && slots_.back() != kNone) {
            ResultRecord& record = out_.results[slots_.back()];
            record.path = nodes_.back();
            record.type = names_.intern(entry.type);
            record.status = entry.status();
            if (entry.location) {
                record.file = names_.intern(entry.location->path);
                record.line = std::int32_t(std::clamp(entry.location->line, 0L, 0x7FFFFFFFL));
            }
            out_.totals.add(record.status);
        }
        nodes_.pop_back();
        slots_.pop_back();
    }

private:
    static constexpr std::size_t kNone = ~std::size_t(0);
    NameTable& names_;
    PathTable& paths_;
    ReportResults& out_;
    std::vector<std::uint32_t> nodes_;
    std::vector<std::size_t> slots_;
};

} // namespace

xrd::ReadResult readResults(const std::string& path, NameTable& names, PathTable& paths, ReportResults& out)
{
    IndexHandler handler(names, paths, out);
    return xrd::readReport(path, handler);
}

void remapResults(const NameTable& fromNames, const PathTable& fromPaths, NameTable& names, PathTable& paths,
                  std::vector<ResultRecord>& results)
{
    std::vector<std::uint32_t> nameMap(fromNames.size());
    for (std::uint32_t id = 0; id < nameMap.size(); ++id)
        nameMap[id] = names.intern(fromNames.text(id));
    // A node's parent always has a smaller number: one pass in order suffices.
    std::vector<std::uint32_t> nodeMap(fromPaths.size(), 0);
    for (std::uint32_t node = 1; node < nodeMap.size(); ++node)
        nodeMap[node] = paths.child(nodeMap[fromPaths.parentOf(node)], nameMap[fromPaths.nameOf(node)]);
    for (ResultRecord& record : results) {
        record.path = nodeMap[record.path];
        record.type = nameMap[record.type];
        record.file = nameMap[record.file];
    }
}

void numberOccurrences(std::vector<ResultRecord>& results)
{
    std::vector<std::uint32_t> order(results.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&results](std::uint32_t a, std::uint32_t b) {
        if (results[a].path != results[b].path)
            return results[a].path < results[b].path;
        return results[a].type < results[b].type;
    });
    for (std::size_t i = 0; i < order.size(); ++i) {
        ResultRecord& record = results[order[i]];
        const bool same = i > 0 && results[order[i - 1]].path == record.path &&
                          results[order[i - 1]].type == record.type;
        record.occurrence = same ? results[order[i - 1]].occurrence + 1 : 0;
    }
}

} // namespace xrdtool
