// File stems, path maps, the totals warning and output files.

#include "xrdtool/common/file_stem.h"
#include "xrdtool/common/output_file.h"
#include "xrdtool/common/path_map.h"
#include "xrdtool/common/totals.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

TEST(FileStem, KeepsSafeCharactersReplacesOthersAndNumbersRepeats)
{
    std::unordered_set<std::string> used;
    EXPECT_EQ(xrdtool::fileStem("Motor_Control-2", used), "Motor_Control-2");
    EXPECT_EQ(xrdtool::fileStem("a b/c.d", used), "a_b_c_d");
    EXPECT_EQ(xrdtool::fileStem("", used), "unnamed");
    EXPECT_EQ(xrdtool::fileStem("", used), "unnamed-2");
    EXPECT_EQ(xrdtool::fileStem("unnamed", used), "unnamed-3");
    // One UTF-8 character is one "_".
    EXPECT_EQ(xrdtool::fileStem("caf\xC3\xA9\xE6\xB8\xA9", used), "caf__");
    // "a b" and "a/b" meet at the same stem; case differences too, for
    // case-insensitive file systems.
    EXPECT_EQ(xrdtool::fileStem("x y", used), "x_y");
    EXPECT_EQ(xrdtool::fileStem("x/y", used), "x_y-2");
    EXPECT_EQ(xrdtool::fileStem("X_Y", used), "X_Y-3");
    EXPECT_EQ(xrdtool::fileStem("../../etc", used), "______etc");
}

TEST(FileStem, LongNamesAreCut)
{
    std::unordered_set<std::string> used;
    const std::string stem = xrdtool::fileStem(std::string(5000, 'n'), used);
    EXPECT_EQ(stem.size(), xrdtool::MaxStem);
    EXPECT_EQ(xrdtool::fileStem(std::string(5000, 'n'), used), stem + "-2");
}

TEST(PathMap, RewritesTheStartWithTheFirstMatchingRule)
{
    xrdtool::PathMap map;
    EXPECT_TRUE(map.add("/build/ci/=src/"));
    EXPECT_TRUE(map.add("/build/=other/"));
    EXPECT_TRUE(map.add("tests=t=x")); // split at the first "="
    EXPECT_FALSE(map.add("noequals"));
    EXPECT_EQ(map.apply("/build/ci/a.kts"), "src/a.kts");
    EXPECT_EQ(map.apply("/build/b.kts"), "other/b.kts");
    EXPECT_EQ(map.apply("tests/c.kts"), "t=x/c.kts");
    EXPECT_EQ(map.apply("x/build/ci/a.kts"), "x/build/ci/a.kts"); // only the start
    EXPECT_EQ(map.apply(""), "");
}

TEST(PathMap, SeparatorsMatchAlikeDriveLettersInEitherCaseAndEmptyOldPrefixesRelativePaths)
{
    const xrdtool::PathMap map({"C:\\work\\=", "/builds/ci/=", "=src/"});
    EXPECT_EQ(map.apply("C:\\work\\tests\\x.kts"), "tests/x.kts");
    EXPECT_EQ(map.apply("c:/WORK/tests\\x.kts"), "tests/x.kts");
    EXPECT_EQ(map.apply("\\builds\\ci\\a\\b.kts"), "a/b.kts");
    EXPECT_EQ(map.apply("/Builds/ci/a.kts"), "/Builds/ci/a.kts"); // case counts without a drive letter
    EXPECT_EQ(map.apply("tests\\x.kts"), "src/tests/x.kts");
    EXPECT_EQ(map.apply("D:\\other\\x.kts"), "D:\\other\\x.kts"); // absolute and unmatched: as it is
    EXPECT_EQ(map.apply("\\\\server\\x.kts"), "\\\\server\\x.kts");
    EXPECT_EQ(map.apply(""), "");
}

TEST(Totals, WarningNamesTheDifferenceOrNothing)
{
    xrdtool::Totals t;
    for (int i = 0; i < 3; ++i)
        t.add(xrd::ResultStatus::Passed);
    t.add(xrd::ResultStatus::Failed);
    t.add(xrd::ResultStatus::Inconclusive);
    EXPECT_EQ(xrdtool::totalsLine(t), "3 passed, 1 inconclusive, 1 failed, 5 total");

    xrd::Summary s;
    EXPECT_EQ(xrdtool::totalsMismatch("r.xrd", t, s), std::nullopt); // no summary rows
    s = {3, 1, 1, 5, true};
    EXPECT_EQ(xrdtool::totalsMismatch("r.xrd", t, s), std::nullopt);
    s = {3, 1, 3, 7, true};
    EXPECT_EQ(xrdtool::totalsMismatch("r.xrd", t, s),
              "xrdtool: r.xrd: 2 results in the summary have no entry");
    s = {3, 0, 1, 4, true};
    EXPECT_EQ(xrdtool::totalsMismatch("r.xrd", t, s), "xrdtool: r.xrd: 1 entries are not counted");
    s = {4, 0, 1, 5, true};
    EXPECT_EQ(xrdtool::totalsMismatch("r.xrd", t, s),
              "xrdtool: r.xrd: the entries say 3 passed, 1 inconclusive, 1 failed, 5 total, "
              "the summary 4 passed, 0 inconclusive, 1 failed, 5 total");
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(OutputFile, AppearsWholeAtCommitAndNotAtAllOtherwise)
{
    char dir[] = "/tmp/xrdtool-out-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string target = std::string(dir) + "/out.xml";
    {
        std::ofstream(target) << "earlier";
        xrdtool::OutputFile out;
        const xrdtool::Result<void> opened = out.open(target);
        ASSERT_TRUE(opened) << opened.error().reason;
        out.write("new");
        EXPECT_EQ(slurp(target), "earlier"); // nothing visible before the end
    }                                        // dropped without commit
    EXPECT_EQ(slurp(target), "earlier");
    {
        xrdtool::OutputFile out;
        ASSERT_TRUE(out.open(target));
        out.write("new");
        EXPECT_TRUE(out.commit());
    }
    EXPECT_EQ(slurp(target), "new");
    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IRGRP, 0u) << "the file keeps the umask's permissions, not mkstemp's";
    EXPECT_EQ(unlink(target.c_str()), 0);
    EXPECT_EQ(rmdir(dir), 0) << "a temporary file was left behind";

    xrdtool::OutputFile full;
    ASSERT_TRUE(full.open("/dev/full"));
    full.write(std::string(1 << 17, 'x'));
    EXPECT_FALSE(full.commit());
    struct stat dev;
    ASSERT_EQ(stat("/dev/full", &dev), 0);
    EXPECT_TRUE(S_ISCHR(dev.st_mode)) << "the device must be written in place, never replaced";

    xrdtool::OutputFile nowhere;
    const xrdtool::Result<void> opened = nowhere.open("/nonexistent-dir/out.xml");
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.error().reason, "cannot write (No such file or directory)");
}

} // namespace
