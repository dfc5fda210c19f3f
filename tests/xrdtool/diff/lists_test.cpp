// Matching two runs' results and sorting them into the diff lists.

#include "xrdtool/diff/lists.h"

#include <gtest/gtest.h>

namespace {

using S = xrd::ResultStatus;
using V = std::vector<std::string>;

/// Two runs built from (path, type, status) rows, compared as diff compares them.
struct TwoRuns {
    struct Row {
        std::vector<std::string> path;
        std::string type;
        S status;
    };
    xrdtool::SharedTables tables;
    xrdtool::NameTable& names = tables.names;
    xrdtool::PathTable& paths = tables.paths;
    xrdtool::ReportResults before;
    xrdtool::ReportResults after;

    void fill(xrdtool::ReportResults& run, const std::vector<Row>& rows)
    {
        for (const Row& row : rows) {
            std::uint32_t node = 0;
            for (const std::string& name : row.path)
                node = paths.child(node, names.intern(name));
            xrdtool::ResultRecord record;
            record.path = node;
            record.setTypeAndStatus(names.intern(row.type), row.status);
            run.results.push_back(record);
            run.totals.add(row.status);
        }
    }

    xrdtool::DiffLists compare(const std::vector<Row>& old, const std::vector<Row>& now)
    {
        fill(before, old);
        fill(after, now);
        return xrdtool::DiffLists(before, after);
    }

    /// "path/type before>after" for each listed result.
    /// The list's count must agree with what it walks.
    V describe(const xrdtool::DiffLists& lists, xrdtool::DiffList list) const
    {
        V out;
        lists.each(list, [&](const xrdtool::Change& c) {
            std::string text;
            for (std::uint32_t id : paths.names(c.record->path))
                text += names.text(id) + "/";
            text += names.text(c.record->type()) + " " + xrdtool::presenceWord(c.before) + ">" +
                xrdtool::presenceWord(c.after);
            out.push_back(text);
        });
        EXPECT_EQ(out.size(), lists.count(list));
        return out;
    }
};

TEST(Diff, ListsFollowTheStatusChangesInDocumentOrder)
{
    TwoRuns r;
    const xrdtool::DiffLists l = r.compare({{{"d", "a"}, "Test Case", S::Passed},
                                            {{"d", "b"}, "Test Case", S::Failed},
                                            {{"d", "c"}, "Test Case", S::Failed},
                                            {{"d", "e"}, "Test Case", S::Inconclusive},
                                            {{"d", "gone"}, "Proc", S::Failed},
                                            {{"d", "f"}, "Test Case", S::Passed}},
                                           {{{"d", "new"}, "Test Case", S::Failed},
                                            {{"d", "f"}, "Test Case", S::Inconclusive},
                                            {{"d", "e"}, "Test Case", S::Passed},
                                            {{"d", "c"}, "Test Case", S::Inconclusive},
                                            {{"d", "b"}, "Test Case", S::Passed},
                                            {{"d", "a"}, "Test Case", S::Failed}});
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::Added), V{"d/new/Test Case absent>failed"});
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::Removed), V{"d/gone/Proc failed>absent"});
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::NewlyFailed),
              (V{"d/new/Test Case absent>failed", "d/a/Test Case passed>failed"}));
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::Fixed), V{"d/b/Test Case failed>passed"});
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::NewlyNotExecuted),
              (V{"d/f/Test Case passed>inconclusive", "d/c/Test Case failed>inconclusive"}));
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::NewlyPassed), V{"d/e/Test Case inconclusive>passed"});
    EXPECT_EQ(l.before.total(), 6);
    EXPECT_EQ(l.after.failed, 2);
}

TEST(Diff, TheKthResultWithTheSamePathAndTypeMatchesTheKth)
{
    TwoRuns r;
    // Two "dup" test cases and one "dup" proc: the type is part of the key.
    const xrdtool::DiffLists l = r.compare({{{"d", "dup"}, "Test Case", S::Passed},
                                            {{"d", "dup"}, "Proc", S::Passed},
                                            {{"d", "dup"}, "Test Case", S::Failed}},
                                           {{{"d", "dup"}, "Test Case", S::Passed},
                                            {{"d", "dup"}, "Test Case", S::Passed},
                                            {{"d", "dup"}, "Test Case", S::Failed},
                                            {{"x", "dup"}, "Proc", S::Passed}}); // another path
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::Fixed), V{"d/dup/Test Case failed>passed"});
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::Added),
              (V{"d/dup/Test Case absent>failed", "x/dup/Proc absent>passed"}));
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::NewlyFailed), V{"d/dup/Test Case absent>failed"});
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::Removed), V{"d/dup/Proc passed>absent"});
    EXPECT_EQ(r.describe(l, xrdtool::DiffList::NewlyPassed), V{});
}

} // namespace
