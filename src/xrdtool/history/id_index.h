#pragma once
// Stored rows by id in memory: the ids of a store's paths and results are
// numbered densely from 1 as rows are added (and never reused past the
// largest), so a value per id is one array cell, found in one access.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace xrdtool::history {

/// A 32-bit value per stored id.
class IdIndex {
public:
    /// Ids beyond this are not ones this store numbered: the file is damaged.
    static constexpr std::int64_t MaxId = std::int64_t(1) << 32;

    /// Sets the value of `id` (1 to MaxId); false for an id out of that range.
    bool set(std::int64_t id, std::uint32_t value)
    {
        if (id < 1 || id > MaxId)
            return false;
        if (std::size_t(id) >= cells_.size())
            cells_.resize(std::max(std::size_t(id) + 1, cells_.size() * 2), Unset);
        cells_[std::size_t(id)] = value;
        return true;
    }
    /// The value of `id`; nothing when it was not set.
    std::optional<std::uint32_t> find(std::int64_t id) const
    {
        if (id < 1 || std::size_t(id) >= cells_.size() || cells_[std::size_t(id)] == Unset)
            return std::nullopt;
        return cells_[std::size_t(id)];
    }

private:
    static constexpr std::uint32_t Unset = ~std::uint32_t(0);
    std::vector<std::uint32_t> cells_;
};

} // namespace xrdtool::history
