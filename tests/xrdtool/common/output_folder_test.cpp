// Output folders: replaced whole behind their marker, or only their matching
// files; never a temporary folder left behind, whatever fails.

#include "xrdtool/common/output_folder.h"

#include "xrdtool/common/umask_scope.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace xrdtool {
namespace {

namespace fs = std::filesystem;

const WholeFolder Site{".marker", "site", "xrdtool html"};

class OutputFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = (fs::temp_directory_path() / ("xrdtool-folder-test-" + std::to_string(getpid()))).string();
        fs::remove_all(root);
        fs::create_directory(root);
    }
    void TearDown() override { fs::remove_all(root); }

    std::string at(const std::string& name) const { return root + "/" + name; }
    static void put(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
    /// Everything in the scratch folder, as paths below it.
    std::set<std::string> tree() const
    {
        std::set<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(root))
            names.insert(e.path().string().substr(root.size() + 1));
        return names;
    }

    std::string root;
};

TEST_F(OutputFolderTest, WholeReplacesAnEarlierOutputAndNothingElse)
{
    for (int round = 0; round < 2; ++round) {
        OutputFolder folder;
        ASSERT_TRUE(folder.startWhole(at("site/"), Site));
        put(folder.dir() + "/" + (round == 0 ? "old.html" : "new.html"), "page");
        put(folder.dir() + "/.marker", "");
        ASSERT_TRUE(folder.commit());
    }
    EXPECT_EQ(tree(), (std::set<std::string>{"site", "site/.marker", "site/new.html"}));

    fs::create_directory(at("mine"));
    put(at("mine/notes.txt"), "keep");
    put(at("file"), "a file");
    OutputFolder other;
    const Result<void> refused = other.startWhole(at("mine"), Site);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().file, at("mine"));
    EXPECT_EQ(refused.error().reason, "is a folder that holds other files than a site of xrdtool html");
    OutputFolder onFile;
    EXPECT_EQ(onFile.startWhole(at("file"), Site).error().reason, "exists and is not a folder");
}

TEST_F(OutputFolderTest, MatchingReplacesOnlyItsFilesAndMakesAMissingFolder)
{
    fs::create_directory(at("out"));
    put(at("out/TEST-old.xml"), "old");
    put(at("out/keep.txt"), "keep");
    put(at("out/TEST-.xml"), "not a suite");
    OutputFolder folder;
    ASSERT_TRUE(folder.startMatching(at("out"), "TEST-", ".xml"));
    put(folder.dir() + "/TEST-new.xml", "new");
    ASSERT_TRUE(folder.commit());
    EXPECT_EQ(tree(), (std::set<std::string>{"out", "out/TEST-.xml", "out/TEST-new.xml", "out/keep.txt"}));

    OutputFolder fresh;
    ASSERT_TRUE(fresh.startMatching(at("made"), "TEST-", ".xml"));
    put(fresh.dir() + "/TEST-a.xml", "a");
    ASSERT_TRUE(fresh.commit());
    EXPECT_TRUE(fs::exists(at("made/TEST-a.xml")));
    struct stat info;
    ASSERT_EQ(stat(at("made").c_str(), &info), 0);
    const mode_t mask = UmaskScope(0).previous();
    EXPECT_EQ(info.st_mode & 0777, 0777 & ~mask) << "the umask's permissions, not mkdtemp's";
}

TEST_F(OutputFolderTest, NoTemporaryFolderIsLeftOnAnyWayOut)
{
    put(at("file"), "a file");
    {
        OutputFolder onFile;
        ASSERT_TRUE(onFile.startMatching(at("file"), "TEST-", ".xml"));
        put(onFile.dir() + "/TEST-a.xml", "a");
        const Result<void> failed = onFile.commit();
        ASSERT_FALSE(failed);
        EXPECT_EQ(failed.error().reason, "cannot write (not a folder)");
    }
    {
        OutputFolder dropped;
        ASSERT_TRUE(dropped.startWhole(at("site"), Site));
        ASSERT_TRUE(dropped.addFolder("p"));
        put(dropped.dir() + "/p/page.html", "page");
    } // never committed
    EXPECT_EQ(tree(), (std::set<std::string>{"file"}));
    OutputFolder nowhere;
    EXPECT_EQ(nowhere.startWhole(at("no/site"), Site).error().reason,
              "cannot create a folder beside it (No such file or directory)");
}

} // namespace
} // namespace xrdtool
