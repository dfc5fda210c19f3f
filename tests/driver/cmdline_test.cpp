// Command-line parsing: the two passes, the counter and the usage text.
#include "driver/cmdline.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qv {
namespace {

/// Parses a command line given as words (the program name is added first).
struct Parsed {
    bool accepted;
    CommandLine line;
    std::vector<std::string> ots() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < line.otsCount; ++i)
            names.emplace_back(line.otsFiles[size_t(i)]);
        return names;
    }
};

Parsed parse(std::vector<std::string> words)
{
    static std::vector<std::vector<std::string>> keep; // argument strings outlive the record
    words.insert(words.begin(), "quorvanel");
    keep.push_back(words);
    std::vector<char*> argv;
    for (auto& w : keep.back())
        argv.push_back(w.data());
    Parsed p;
    p.accepted = parseCommandLine(int(argv.size()), argv.data(), p.line);
    return p;
}

using Names = std::vector<std::string>;

TEST(CommandLine, AcceptsTheSynopsisInAnyOrder)
{
    auto p = parse({"-ots", "a.ots", "b.ots", "-tdf", "t.tdf", "-xrd", "r.xrd"});
    EXPECT_TRUE(p.accepted);
    EXPECT_EQ(p.ots(), (Names{"a.ots", "b.ots"}));
    EXPECT_STREQ(p.line.tdfFile, "t.tdf");
    EXPECT_STREQ(p.line.xrdFile, "r.xrd");
    EXPECT_EQ(p.line.headerTextFile, nullptr);

    p = parse({"-tdf", "t.tdf", "-xrd", "r.xrd", "-ots", "a.ots"});
    EXPECT_TRUE(p.accepted);
    EXPECT_EQ(p.ots(), (Names{"a.ots"}));

    p = parse({"-ots", "a.ots", "-tdf", "t.tdf", "-xrd", "r.xrd", "-h", "h.txt"});
    EXPECT_TRUE(p.accepted);
    EXPECT_STREQ(p.line.headerTextFile, "h.txt");
}

TEST(CommandLine, OtsListRunsUntilTdfOrXrd)
{
    auto p = parse({"-ots", "a.ots", "-h", "h.txt", "-tdf", "t.tdf", "-xrd", "r.xrd"});
    EXPECT_TRUE(p.accepted);
    EXPECT_EQ(p.ots(), (Names{"a.ots", "-h", "h.txt"}));
    EXPECT_EQ(p.line.headerTextFile, nullptr);

    p = parse({"-ots", "-tdf", "t.tdf", "-xrd", "r.xrd"});
    EXPECT_TRUE(p.accepted);
    EXPECT_EQ(p.line.otsCount, 0);

    // Unknown options are names inside the list and ignored outside it.
    p = parse({"-v", "-ots", "-v", "-OTS", "-tdf", "t.tdf", "-v", "-xrd", "r.xrd"});
    EXPECT_TRUE(p.accepted);
    EXPECT_EQ(p.ots(), (Names{"-v", "-OTS"}));
}

TEST(CommandLine, RejectsWrongCounts)
{
    EXPECT_FALSE(parse({}).accepted);
    EXPECT_FALSE(parse({"-ots", "a.ots", "-tdf", "t.tdf"}).accepted);
    EXPECT_FALSE(parse({"-ots", "a.ots", "-tdf", "t.tdf", "-xrd", "r.xrd", "-xrd", "s.xrd"}).accepted);
    // Options are case-sensitive.
    EXPECT_FALSE(parse({"-OTS", "a.ots", "-tdf", "t.tdf", "-xrd", "r.xrd"}).accepted);
}

TEST(CommandLine, RejectsOptionsWithoutValue)
{
    EXPECT_FALSE(parse({"-ots", "a.ots", "-tdf", "t.tdf", "-xrd"}).accepted);
    EXPECT_FALSE(parse({"-ots", "a.ots", "-xrd", "r.xrd", "-tdf"}).accepted);
    EXPECT_FALSE(parse({"-tdf", "t.tdf", "-xrd", "r.xrd", "-ots", "a.ots", "-tdf"}).accepted);
    EXPECT_FALSE(parse({"-tdf", "t.tdf", "-xrd", "r.xrd", "-h"}).accepted);
    // Three counted options, but -xrd missing: -tdf repeated.
    EXPECT_FALSE(parse({"-ots", "a", "-tdf", "t", "-tdf", "u"}).accepted);
}

TEST(CommandLine, EachTestLooksAtTheMovedPosition)
{
    // "-h" takes "-tdf" as its value; the -tdf test of the same step then
    // sees that very argument and takes the next one as the TDF name.
    auto p = parse({"-ots", "a", "-xrd", "r", "-h", "-tdf", "t"});
    EXPECT_TRUE(p.accepted);
    EXPECT_STREQ(p.line.headerTextFile, "-tdf");
    EXPECT_STREQ(p.line.tdfFile, "t");

    // -xrd takes "-h" as its value, which the -h test then sees.
    p = parse({"-ots", "a", "-tdf", "t", "-xrd", "-h", "h"});
    EXPECT_TRUE(p.accepted);
    EXPECT_STREQ(p.line.xrdFile, "-h");
    EXPECT_STREQ(p.line.headerTextFile, "h");

    // Values may start with a hyphen; repeated -h keeps its last value.
    p = parse({"-h", "x", "-tdf", "-t", "-xrd", "-r", "-h", "y", "-ots"});
    EXPECT_TRUE(p.accepted);
    EXPECT_STREQ(p.line.tdfFile, "-t");
    EXPECT_STREQ(p.line.xrdFile, "-r");
    EXPECT_STREQ(p.line.headerTextFile, "y");
}

TEST(CommandLine, OtsTakenAsAValueIsCountedButNotStored)
{
    // The first pass sizes the array for the "-ots" list that -xrd consumes.
    auto p = parse({"-ots", "x", "-tdf", "t", "-xrd", "-ots", "y"});
    EXPECT_TRUE(p.accepted);
    EXPECT_STREQ(p.line.xrdFile, "-ots");
    EXPECT_EQ(p.ots(), (Names{"x"}));
    EXPECT_EQ(p.line.otsFiles.size(), 2u);
}

TEST(CommandLine, UsageTextIsExact)
{
    testing::internal::CaptureStderr();
    printUsage("./bin/quorvanel");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "\nUsage: ./bin/quorvanel -ots <otsFiles> -tdf <tdfFile> -xrd <xrdFile> [-h <headerTextFile>]\n"
              "         <otsFiles>    Object Testing symbol filenames\n"
              "         <tdfFile>     Trace dynamic filename\n"
              "         <xrdFile>     Results filename\n"
              "\n");
}

} // namespace
} // namespace qv
