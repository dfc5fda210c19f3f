// The memory budget of `xrdtool diff`: what it allocates grows with the number
// of results only, at most 200 bytes per result besides the bytes of the
// distinct names. This binary replaces operator new to count the live bytes of
// the whole diff (both reads, the matching and the writing) and their peak.

#include "xrdtool/diff/format.h"
#include "xrdtool/diff/index.h"
#include "xrdtool/diff/lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

// Each block carries its size in front, so that every delete knows what it frees.
constexpr std::size_t HeaderSize = alignof(std::max_align_t);

void* counted(std::size_t size)
{
    void* block = std::malloc(size + HeaderSize);
    if (!block)
        return nullptr;
    *static_cast<std::size_t*>(block) = size;
    const std::size_t live = liveBytes.fetch_add(size) + size;
    std::size_t peak = peakBytes.load();
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return static_cast<char*>(block) + HeaderSize;
}

void uncounted(void* pointer)
{
    if (!pointer)
        return;
    void* block = static_cast<char*>(pointer) - HeaderSize;
    liveBytes.fetch_sub(*static_cast<std::size_t*>(block));
    std::free(block);
}

} // namespace

void* operator new(std::size_t size)
{
    if (void* block = counted(size))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return counted(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return counted(size);
}
void operator delete(void* pointer) noexcept
{
    uncounted(pointer);
}
void operator delete[](void* pointer) noexcept
{
    uncounted(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept
{
    uncounted(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept
{
    uncounted(pointer);
}

namespace {

/// A report of `results` counted test cases in suites of 40 under one driver,
/// each with a linked title and a results table; `changed` moves some states,
/// drops every 50th result and adds one in every 60.
std::string campaign(int results, bool changed)
{
    std::string xrd =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XROD>\n<APIDOC>\n<DOCUMENT TITLE=\"c.xrd\" "
        "TAG=\"Testx1\">\n<XROD:NODE name=\"Global Report\" type=\"Global Report\" state=\"ok\">"
        "<SECTION TAG=\"filex2\"></SECTION>\n<XROD:NODE name=\"driver\" type=\"Test Driver\" "
        "state=\"ok\"><SECTION TAG=\"rootx3\">\n";
    for (int i = 0; i < results; ++i) {
        if (i % 40 == 0)
            xrd += (i ? "</XROD:NODE>\n" : "") + std::string("<XROD:NODE name=\"suite_") +
                std::to_string(i / 40) + "\" type=\"Test Suite\" state=\"ok\">\n";
        if (changed && i % 50 == 7)
            continue;
        const bool failed = (i % 13 == 0) != (changed && i % 7 == 0);
        const std::string state = failed ? "ko" : i % 11 == 0 ? "NE" : "ok";
        const std::string name =
            (changed && i % 60 == 5 ? "added_case_" : "case_") + std::to_string(i) + "_checks_the_pump";
        xrd += "<XROD:NODE name=\"" + name + "\" type=\"Test Case\" state=\"" + state + "\" sum=\"1\">" +
            "<TITLE LEVEL=\"1\"><LINK TARGET=\"tests/suite_" + std::to_string(i / 40) + ".kts line " +
            std::to_string(i + 1) + "\"><TEXT>Test Case " + name + "</TEXT></LINK></TITLE>\n" +
            "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\"><ROW><CELL_TEXT STYLE=\"Array Title\">Expression"
            "</CELL_TEXT></ROW><ROW><CELL_TEXT STYLE=\"Array " +
            (failed ? "Failed" : "Passed") + "\">pump.level() == " + std::to_string(i % 97) +
            "</CELL_TEXT></ROW></TABLE></XROD:NODE>\n";
    }
    xrd += "</XROD:NODE>\n</SECTION>\n</XROD:NODE>\n</XROD:NODE>\n</DOCUMENT>\n</APIDOC>\n</XROD>\n";
    return xrd;
}

std::string written(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file) {
        EXPECT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
        EXPECT_EQ(std::fclose(file), 0);
    }
    return path;
}

struct Usage {
    std::size_t peak = 0;      // most bytes live at once during the diff
    std::size_t nameBytes = 0; // bytes of the distinct names
    std::size_t results = 0;   // results of the larger report
};

/// Runs the diff of two generated campaigns as the command does and counts.
Usage diffUsage(int results)
{
    const std::string oldPath = written("diff_memory_old.xrd", campaign(results, false));
    const std::string newPath = written("diff_memory_new.xrd", campaign(results, true));
    std::FILE* sink = std::fopen("/dev/null", "w");
    EXPECT_NE(sink, nullptr);
    Usage usage;
    const std::size_t base = liveBytes.load();
    peakBytes.store(base);
    {
        xrdtool::DiffInput input;
        const xrdtool::DiffRead read = xrdtool::readReports(oldPath, newPath, input);
        EXPECT_TRUE(read.before.ok()) << read.before.reason;
        EXPECT_TRUE(read.after.ok()) << read.after.reason;
        const xrdtool::DiffLists lists(input.before, input.after);
        EXPECT_TRUE(xrdtool::writeDiff(sink, xrdtool::DiffFormat::Json, lists,
                                       xrdtool::DiffText{input.tables.names, input.tables.paths}));
        // The lists must hold what the generator changed: every 60th result
        // renamed (removed and added), every 50th dropped (never the same results: 5 and 7 modulo 10).
        const std::size_t renamed = std::size_t(results + 54) / 60;
        const std::size_t dropped = std::size_t(results + 42) / 50;
        EXPECT_EQ(lists.count(xrdtool::DiffList::Added), renamed);
        EXPECT_EQ(lists.count(xrdtool::DiffList::Removed), renamed + dropped);
        EXPECT_EQ(input.before.results.size(), std::size_t(results));
        usage.nameBytes = input.tables.names.textBytes();
        usage.results = std::max(input.before.results.size(), input.after.results.size());
    }
    usage.peak = peakBytes.load() - base;
    EXPECT_EQ(liveBytes.load(), base) << "the diff's memory is not all given back";
    std::fclose(sink);
    std::remove(oldPath.c_str());
    std::remove(newPath.c_str());
    return usage;
}

TEST(DiffMemory, AtMost200BytesPerResultBesidesTheNames)
{
    const Usage small = diffUsage(5000);
    const Usage large = diffUsage(40000);
    // Fixed costs (parser buffers, first chunks, the output buffer) included.
    const double perResult = double(large.peak - large.nameBytes) / double(large.results);
    EXPECT_LE(perResult, 200.0) << large.peak << " bytes at most, " << large.nameBytes << " of names, "
                                << large.results << " results";
    // Growth only: what each added result costs.
    const double perAdded = (double(large.peak - large.nameBytes) - double(small.peak - small.nameBytes)) /
        double(large.results - small.results);
    EXPECT_LE(perAdded, 200.0);
    std::printf("diff peak: %.1f bytes per result besides names (%zu results), %.1f per added result\n",
                perResult, large.results, perAdded);
}

} // namespace
