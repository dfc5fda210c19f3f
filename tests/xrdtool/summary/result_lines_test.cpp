// summary's lines of a result: one line per result and per failed row in the
// text format whatever the names, paths and cells hold; GitHub's escapes in
// annotations.

#include "xrdtool/summary/result_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using xrdtool::FailureLines;
using xrdtool::ResultLines;
using xrdtool::SummaryFormat;

xrd::Entry failedEntry()
{
    xrd::Entry entry;
    entry.name = "two\nlines";
    entry.type = "Test\rCase";
    entry.state = xrd::EntryState::Failed;
    entry.counted = true;
    entry.location = xrd::Location{"C:\\w\\odd\npath.kts", 7};
    return entry;
}

void feed(FailureLines& failure)
{
    xrd::Row r;
    r.failed = true;
    for (const char* text : {"x\ty", "Failed\x1b"}) {
        r.cells.emplace_back();
        r.cells.back().text = text;
    }
    xrd::Table t;
    failure.row(t, r);
    failure.row(t, r);
}

TEST(ResultLines, TextLinesStayOneLineEachAndAnnotationsUseGithubEscapes)
{
    const xrdtool::PathMap map({"c:/w/=src/"});
    const xrd::Entry entry = failedEntry();

    FailureLines escaped(map, xrdtool::lineFormOf(SummaryFormat::Text));
    feed(escaped);
    const std::string text = ResultLines("r.xrd", SummaryFormat::Text, map).failed(entry, escaped);
    EXPECT_EQ(text,
              "src/odd\\x0Apath.kts:7: failed: Test\\x0DCase two\\x0Alines\n"
              "  src/odd\\x0Apath.kts:7: x\\x09y | Failed\\x1B\n"
              "  src/odd\\x0Apath.kts:7: x\\x09y | Failed\\x1B\n");

    FailureLines raw(map, xrdtool::lineFormOf(SummaryFormat::Github));
    feed(raw);
    const std::string github = ResultLines("r.xrd", SummaryFormat::Github, map).failed(entry, raw);
    EXPECT_EQ(std::count(github.begin(), github.end(), '\n'), 1) << github;
    EXPECT_EQ(github,
              "::error file=src/odd%0Apath.kts,line=7,title=Test%0DCase two%0Alines::"
              "src/odd%0Apath.kts:7: x\ty | Failed\x1b%0Asrc/odd%0Apath.kts:7: x\ty | Failed\x1b\n");

    // Without failed rows: no detail line, and the annotation says what failed.
    FailureLines none(map, xrdtool::LineForm::Escaped);
    EXPECT_EQ(ResultLines("r.xrd", SummaryFormat::Text, map).failed(entry, none),
              "src/odd\\x0Apath.kts:7: failed: Test\\x0DCase two\\x0Alines\n");
    xrd::Entry unplaced = failedEntry();
    unplaced.location.reset();
    EXPECT_EQ(ResultLines("dir/r\n.xrd", SummaryFormat::Text, map).notExecuted(unplaced),
              "dir/r\\x0A.xrd:0: not executed: Test\\x0DCase two\\x0Alines\n");
}

} // namespace
