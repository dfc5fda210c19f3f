// The trace text store: texts read back exactly and in arrival order wherever
// they were kept (memory, temporary file, write buffer, memory after the file
// failed), the fallbacks, read failures and reuse after clear().
#include "model/textstore.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace qv;

/// The store under test beside the plain model of what it must give back.
struct Checked {
    explicit Checked(size_t budget, size_t chunkBytes, size_t nodes)
        : store(budget, chunkBytes), model(nodes), last(nodes, TraceTextStore::NoText)
    {}
    void add(size_t node, const std::string& text)
    {
        last[node] = store.append(last[node], text);
        model[node].push_back(text);
    }
    /// The texts of a node as the store gives them back.
    std::vector<std::string> texts(size_t node)
    {
        std::vector<uint64_t> refs;
        store.collect(last[node], refs);
        std::vector<std::string> out;
        std::string scratch;
        for (const uint64_t ref : refs)
            out.emplace_back(store.text(ref, scratch));
        return out;
    }
    void expectAll(std::mt19937& rng)
    {
        std::vector<size_t> order(model.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), rng);
        for (const size_t node : order)
            ASSERT_EQ(texts(node), model[node]) << "node " << node;
        EXPECT_FALSE(store.failed());
    }
    TraceTextStore store;
    std::vector<std::vector<std::string>> model;
    std::vector<uint64_t> last;
};

/// A text of random bytes, NUL included; mostly short, now and then longer
/// than a file window.
std::string randomText(std::mt19937& rng)
{
    const unsigned pick = rng() % 100;
    const size_t size = pick < 85 ? rng() % 40 : pick < 98 ? rng() % 3000 : 60000 + rng() % 80000;
    std::string text(size, '\0');
    for (char& c : text)
        c = char(rng());
    return text;
}

/// Entries of /proc/self/fd: the descriptors open in the process (plus the listing's own).
int openDescriptors()
{
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

/// Sets an environment variable for the scope and restores the old value.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = std::string(old);
        setenv(name, value, 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(TraceTextStore, RandomWorkloadMatchesModelAtEveryBudget)
{
    // Budget and chunk size: all in the file, a tiny memory part with tiny
    // chunks, the boundary in the middle, all in memory.
    const std::pair<size_t, size_t> configs[] = {
        {0, 16}, {64, 16}, {300000, 4096}, {size_t(64) << 20, size_t(1) << 20}};
    for (const auto& [budget, chunk] : configs) {
        SCOPED_TRACE("budget " + std::to_string(budget));
        std::mt19937 rng(unsigned(budget) + 7);
        Checked c(budget, chunk, 40);
        for (int i = 0; i < 3000; ++i) {
            c.add(rng() % 40, randomText(rng));
            // Reads between appends see the write buffer and file windows
            // loaded before the file grew.
            if (i % 500 == 499) {
                const size_t node = rng() % 40;
                ASSERT_EQ(c.texts(node), c.model[node]);
            }
        }
        EXPECT_EQ(c.store.count(), 3000u);
        // More than the window cache holds: windows are evicted and read again.
        EXPECT_GT(c.store.size(), 2 * TraceTextStore::WindowCount * TraceTextStore::WindowBytes);
        if (budget < c.store.size())
            EXPECT_EQ(c.store.fileBytes(), c.store.size() - budget);
        else
            EXPECT_EQ(c.store.fileBytes(), 0u);
        c.expectAll(rng);
        c.expectAll(rng); // again, through a warm cache
    }
}

TEST(TraceTextStore, RecordsAcrossEveryBoundary)
{
    // Memory part of 64 bytes in 16-byte chunks, then the file in windows.
    Checked c(64, 16, 3);
    c.add(0, std::string(100, 'a'));     // header and text cross chunks and the file start
    c.add(1, "");                        // empty
    c.add(2, std::string("n\0u\0l", 5)); // NUL bytes
    const uint64_t windowEdge = TraceTextStore::WindowBytes + 64;
    c.add(1, std::string(size_t(windowEdge - c.store.size() - 12 - 5), 'b')); // ends 5 bytes before the edge
    c.add(0, "across the window edge");                                       // header crosses it
    const uint64_t secondEdge = 2 * TraceTextStore::WindowBytes + 64;
    c.add(2, std::string(size_t(secondEdge - c.store.size() - 12 - 12 - 4), 'd'));
    c.add(0, "text across");            // header ends 4 bytes before the edge
    c.add(2, std::string(200000, 'c')); // larger than several windows
    c.add(1, "after");                  // still in the write buffer
    std::mt19937 rng(1);
    c.expectAll(rng);
    EXPECT_EQ(c.texts(0),
              (std::vector<std::string>{std::string(100, 'a'), "across the window edge", "text across"}));

    // The memory part ending inside a chunk: a text across its end is still split.
    Checked wide(64, TraceTextStore::DefaultChunkBytes, 1);
    wide.add(0, std::string(100, 'w'));
    wide.add(0, "x");
    wide.expectAll(rng);
}

TEST(TraceTextStore, StaysInMemoryWhenNoFileCanBeMade)
{
    ScopedEnv tmp("TMPDIR", "/nonexistent/quorvanel-test-dir");
    Checked c(64, 64, 5);
    std::mt19937 rng(3);
    for (int i = 0; i < 500; ++i)
        c.add(rng() % 5, randomText(rng));
    EXPECT_EQ(c.store.fileBytes(), 0u);
    c.expectAll(rng);
}

TEST(TraceTextStore, KeepsTextsInMemoryWhenAFileWriteFails)
{
    // A file-size limit makes the writes beyond it fail (EFBIG, the signal
    // ignored): the first write short, the next refused.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100000;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Checked c(0, 4096, 7);
    std::mt19937 rng(5);
    for (int i = 0; i < 400; ++i)
        c.add(rng() % 7, std::string(1000 + rng() % 200, char('a' + i % 26)));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_LE(c.store.fileBytes(), 100000u);
    EXPECT_GT(c.store.fileBytes(), 0u);
    c.expectAll(rng);
}

TEST(TraceTextStore, ReportsAFailedFileRead)
{
    Checked c(0, 16, 1);
    for (int i = 0; i < 100; ++i)
        c.add(0, std::string(1000, 'x')); // more than the write buffer: written to the file
    // Put a write-only descriptor in place of the store's file.
    int storeFd = -1;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (dirent* e = readdir(d)) {
            char target[PATH_MAX] = {};
            const std::string link = std::string("/proc/self/fd/") + e->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0 &&
                std::string(target).find("qv-texts-") != std::string::npos)
                storeFd = std::atoi(e->d_name);
        }
        closedir(d);
    }
    ASSERT_GE(storeFd, 0);
    const int writeOnly = open("/dev/null", O_WRONLY);
    ASSERT_GE(dup2(writeOnly, storeFd), 0);
    close(writeOnly);
    std::string scratch;
    EXPECT_FALSE(c.store.failed());
    EXPECT_EQ(c.store.text(0, scratch), "");
    EXPECT_TRUE(c.store.failed());
}

TEST(TraceTextStore, ClearClosesTheFileAndAllowsReuse)
{
    const int before = openDescriptors();
    {
        Checked c(64, 16, 4);
        std::mt19937 rng(9);
        for (int i = 0; i < 200; ++i)
            c.add(rng() % 4, randomText(rng));
        EXPECT_GT(c.store.fileBytes(), 0u);
        EXPECT_EQ(openDescriptors(), before + 1);
        std::string scratch;
        EXPECT_EQ(c.store.text(c.store.size() + 1, scratch), ""); // out of the log
        EXPECT_TRUE(c.store.failed());

        c.store.clear();
        EXPECT_EQ(openDescriptors(), before);
        EXPECT_EQ(c.store.size(), 0u);
        EXPECT_EQ(c.store.count(), 0u);
        EXPECT_FALSE(c.store.failed());
        std::vector<uint64_t> refs{1, 2};
        c.store.collect(TraceTextStore::NoText, refs);
        EXPECT_TRUE(refs.empty());

        // Used again: a new file once the budget is passed again.
        c.model.assign(4, {});
        c.last.assign(4, TraceTextStore::NoText);
        for (int i = 0; i < 200; ++i)
            c.add(rng() % 4, randomText(rng));
        EXPECT_GT(c.store.fileBytes(), 0u);
        c.expectAll(rng);
    }
    EXPECT_EQ(openDescriptors(), before); // the destructor closes it too
}

} // namespace
