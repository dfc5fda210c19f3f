#pragma once
// How often each testcase key was seen in a suite: GitLab keys cases by suite,
// class and name and keeps only the first of equal ones, so repeats are
// numbered. Open addressing in one flat array: no allocation per testcase and
// one cache line per lookup, which on a report of short test cases is a
// measurable part of the run.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xrdtool {

/// Counts of 64-bit keys.
class RepeatCount {
public:
    /// Brings the slot of `key` into the cache ahead of add().
    void prefetch(std::uint64_t key) const
    {
        if (!slots_.empty())
            __builtin_prefetch(&slots_[home(key == 0 ? 1 : key)]);
    }

    /// Counts `key` once more; returns its count (1 the first time).
    std::uint32_t add(std::uint64_t key)
    {
        if ((used_ + 1) * 4 > slots_.size() * 3)
            grow();
        if (key == 0)
            key = 1; // 0 marks a free slot
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = home(key);; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (slot.key == key)
                return ++slot.count;
            if (slot.key == 0) {
                slot.key = key;
                slot.count = 1;
                ++used_;
                return 1;
            }
        }
    }

    /// Forgets every key (a new suite).
    void clear()
    {
        if (used_ == 0)
            return;
        slots_.assign(slots_.size(), Slot());
        used_ = 0;
    }

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t count = 0;
    };

    /// The first slot a key is looked for in.
    std::size_t home(std::uint64_t key) const
    {
        return std::size_t(key * 0x9E3779B97F4A7C15ull >> 7) & (slots_.size() - 1);
    }

    void grow()
    {
        std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
        old.swap(slots_);
        used_ = 0;
        for (const Slot& slot : old) {
            if (slot.key == 0)
                continue;
            const std::size_t mask = slots_.size() - 1;
            std::size_t i = home(slot.key);
            while (slots_[i].key != 0)
                i = (i + 1) & mask;
            slots_[i] = slot;
            ++used_;
        }
    }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

} // namespace xrdtool
