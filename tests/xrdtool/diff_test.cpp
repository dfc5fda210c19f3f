// Matching two runs' results and sorting them into the diff lists.

#include "xrdtool/diff_format.h"

#include <gtest/gtest.h>

namespace {

struct OneRun {
    xrdtool::ReportResults results;
    void add(xrdtool::NameTable& names, xrdtool::PathTable& paths, std::vector<std::string> path, const std::string& type,
             xrd::ResultStatus status)
    {
        std::uint32_t node = 0;
        for (const std::string& name : path)
            node = paths.child(node, names.intern(name));
        xrdtool::ResultRecord record;
        record.path = node;
        record.type = names.intern(type);
        record.status = status;
        results.results.push_back(record);
        results.totals.add(status);
    }
};

std::vector<std::string> describe(const std::vector<xrdtool::Change>& changes, const xrdtool::NameTable& names,
                                  const xrdtool::PathTable& paths)
{
    std::vector<std::string> out;
    for (const xrdtool::Change& c : changes) {
        std::string text;
        for (std::uint32_t id : paths.names(c.record->path))
            text += names.text(id) + "/";
        text += names.text(c.record->type) + " " + xrdtool::presenceWord(c.before) + ">" + xrdtool::presenceWord(c.after);
        out.push_back(text);
    }
    return out;
}

using S = xrd::ResultStatus;
using V = std::vector<std::string>;

TEST(Diff, ListsFollowTheStatusChangesInDocumentOrder)
{
    xrdtool::NameTable names;
    xrdtool::PathTable paths;
    OneRun before, after;
    before.add(names, paths, {"d", "a"}, "Test Case", S::Passed);
    before.add(names, paths, {"d", "b"}, "Test Case", S::Failed);
    before.add(names, paths, {"d", "c"}, "Test Case", S::Failed);
    before.add(names, paths, {"d", "e"}, "Test Case", S::Inconclusive);
    before.add(names, paths, {"d", "gone"}, "Proc", S::Failed);
    before.add(names, paths, {"d", "f"}, "Test Case", S::Passed);

    after.add(names, paths, {"d", "new"}, "Test Case", S::Failed);
    after.add(names, paths, {"d", "f"}, "Test Case", S::Inconclusive);
    after.add(names, paths, {"d", "e"}, "Test Case", S::Passed);
    after.add(names, paths, {"d", "c"}, "Test Case", S::Inconclusive);
    after.add(names, paths, {"d", "b"}, "Test Case", S::Passed);
    after.add(names, paths, {"d", "a"}, "Test Case", S::Failed);
    for (OneRun* r : {&before, &after})
        xrdtool::numberOccurrences(r->results.results);

    const xrdtool::DiffLists l = xrdtool::compareResults(before.results, after.results);
    EXPECT_EQ(describe(l.added, names, paths), V{"d/new/Test Case absent>failed"});
    EXPECT_EQ(describe(l.removed, names, paths), V{"d/gone/Proc failed>absent"});
    EXPECT_EQ(describe(l.newlyFailed, names, paths), (V{"d/new/Test Case absent>failed", "d/a/Test Case passed>failed"}));
    EXPECT_EQ(describe(l.fixed, names, paths), V{"d/b/Test Case failed>passed"});
    EXPECT_EQ(describe(l.newlyNotExecuted, names, paths),
              (V{"d/f/Test Case passed>inconclusive", "d/c/Test Case failed>inconclusive"}));
    EXPECT_EQ(describe(l.newlyPassed, names, paths), V{"d/e/Test Case inconclusive>passed"});
    EXPECT_EQ(l.before.total(), 6);
    EXPECT_EQ(l.after.failed, 2);
}

TEST(Diff, TheKthResultWithTheSamePathAndTypeMatchesTheKth)
{
    xrdtool::NameTable names;
    xrdtool::PathTable paths;
    OneRun before, after;
    // Two "dup" test cases and one "dup" proc: the type is part of the key.
    before.add(names, paths, {"d", "dup"}, "Test Case", S::Passed);
    before.add(names, paths, {"d", "dup"}, "Proc", S::Passed);
    before.add(names, paths, {"d", "dup"}, "Test Case", S::Failed);
    after.add(names, paths, {"d", "dup"}, "Test Case", S::Passed);
    after.add(names, paths, {"d", "dup"}, "Test Case", S::Passed);
    after.add(names, paths, {"d", "dup"}, "Test Case", S::Failed);
    after.add(names, paths, {"x", "dup"}, "Proc", S::Passed);  // another path
    for (OneRun* r : {&before, &after})
        xrdtool::numberOccurrences(r->results.results);
    EXPECT_EQ(after.results.results[2].occurrence, 2u);

    const xrdtool::DiffLists l = xrdtool::compareResults(before.results, after.results);
    EXPECT_EQ(describe(l.fixed, names, paths), V{"d/dup/Test Case failed>passed"});
    EXPECT_EQ(describe(l.added, names, paths), (V{"d/dup/Test Case absent>failed", "x/dup/Proc absent>passed"}));
    EXPECT_EQ(describe(l.newlyFailed, names, paths), V{"d/dup/Test Case absent>failed"});
    EXPECT_EQ(describe(l.removed, names, paths), V{"d/dup/Proc passed>absent"});
    EXPECT_TRUE(l.newlyPassed.empty());
}

TEST(Diff, NamesAndPathsAreStoredOnce)
{
    xrdtool::NameTable names;
    xrdtool::PathTable paths;
    std::vector<std::uint32_t> ids;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 5000; ++i) {
            const std::uint32_t id = names.intern("name" + std::to_string(i));
            if (round == 0)
                ids.push_back(id);
            else
                EXPECT_EQ(id, ids[i]);
            EXPECT_EQ(paths.child(paths.child(0, names.intern("d")), id), paths.child(paths.child(0, names.intern("d")), ids[i]));
        }
    }
    EXPECT_EQ(names.size(), 5001u);
    EXPECT_EQ(names.text(ids[1234]), "name1234");
    EXPECT_EQ(names.intern(""), names.intern(""));
    EXPECT_EQ(names.text(names.intern("")), "");
    const std::uint32_t deep = paths.child(paths.child(paths.child(0, 1), 2), 3);
    EXPECT_EQ(paths.names(deep), (std::vector<std::uint32_t>{1, 2, 3}));
}

} // namespace
