// The failure lines of a result, from rows given one at a time as the reader
// streams them: where each line points, the column names, the bound on rows.

#include "xrdtool/common/failure_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using xrdtool::FailureLines;
using xrdtool::LineForm;

/// A row of cells; "@PATH:LINE" after a cell's text gives it a link.
xrd::Row row(const std::vector<std::string>& cells, bool failed = false, bool header = false)
{
    xrd::Row r;
    r.failed = failed;
    r.header = header;
    for (const std::string& spelled : cells) {
        xrd::Cell cell;
        const std::size_t at = spelled.find('@');
        cell.text = spelled.substr(0, at);
        if (at != std::string::npos) {
            const std::size_t colon = spelled.rfind(':');
            cell.link =
                xrd::Location{spelled.substr(at + 1, colon - at - 1), std::stol(spelled.substr(colon + 1))};
        }
        r.cells.push_back(cell);
    }
    return r;
}

xrd::Table table(const std::string& width)
{
    xrd::Table t;
    t.width = width;
    return t;
}

std::string lines(const FailureLines& failure, const std::string& where = "r.kts:9")
{
    std::string out;
    failure.write(out, where, "  ", "\n");
    return out;
}

TEST(FailureLines, ContractRowsTakeTheLinkOfTheirMethodAndCellsTheirColumnNames)
{
    const xrdtool::PathMap map;
    FailureLines failure(map, LineForm::Escaped);
    const xrd::Table contract = table("20,20,15,15,15,15");
    for (const xrd::Row& r :
         {row({"Method", "Expression", "Status", "Executed", "Failed", "Passed"}, false, true),
          row({"setTarget(double)@s.kts:31"}), row({"regulate()@s.kts:34"}),
          row({"", "mode() != FAULT", "Failed", "2", "1", "1"}, true),
          // A method without a link of its own: its rows fall back to the result's location.
          row({"stop()"}), row({"", "idle()", "Failed", "1", "1", "0"}, true)})
        failure.row(contract, r);
    failure.tableEnd();
    // A row with a link of its own keeps it; the first cell is no column name's.
    failure.row(table("40,30,30"), row({"State Name", "Multiple Exits", "Illegal Exits"}, false, true));
    failure.row(table("40,30,30"), row({"Cooling@s.kts:42", "1", "0"}, true));
    failure.tableEnd();
    EXPECT_EQ(lines(failure),
              "  s.kts:34: mode() != FAULT (Status Failed, Executed 2, Failed 1, Passed 1)\n"
              "  r.kts:9: idle() (Status Failed, Executed 1, Failed 1, Passed 0)\n"
              "  s.kts:42: Cooling (Multiple Exits 1, Illegal Exits 0)\n");
    EXPECT_EQ(failure.failedRows(), 3u);
    EXPECT_EQ(failure.firstText(), "mode() != FAULT");
    EXPECT_EQ(lines(failure, ""),
              "  s.kts:34: mode() != FAULT (Status Failed, Executed 2, Failed 1, Passed 1)\n"
              "  idle() (Status Failed, Executed 1, Failed 1, Passed 0)\n"
              "  s.kts:42: Cooling (Multiple Exits 1, Illegal Exits 0)\n");
}

TEST(FailureLines, ATableWithoutHeaderTakesTheNearestEarlierOneAsWideElseJoinsItsCells)
{
    const xrdtool::PathMap map;
    FailureLines failure(map, LineForm::Escaped);
    const std::vector<std::string> names{"Expression", "Status", "Executed", "Failed", "Passed"};
    failure.row(table("40,15,15,15,15"), row(names, false, true));
    failure.tableEnd();
    failure.row(table("5,95"), row({"", "trace"}));
    failure.tableEnd();
    // Five columns again, after a print block: the first table's names.
    failure.row(table("40,15,15,15,15"), row({"mode == HEATING", "Failed", "1", "1", "0"}, true));
    failure.tableEnd();
    // Three columns, never named: the cells joined. A header row later in the
    // entry names the tables after it only.
    failure.row(table("40,30,30"), row({"x", "", "y"}, true));
    failure.tableEnd();
    failure.row(table("40,30,30"), row({"A", "B", "C"}, false, true));
    failure.row(table("40,30,30"), row({"x", "", "y"}, true));
    failure.tableEnd();
    EXPECT_EQ(lines(failure),
              "  r.kts:9: mode == HEATING (Status Failed, Executed 1, Failed 1, Passed 0)\n"
              "  r.kts:9: x | y\n"
              "  r.kts:9: x (C y)\n");

    // A new result forgets the names of the last one.
    failure.clear();
    failure.row(table("40,15,15,15,15"), row({"mode == HEATING", "Failed"}, true));
    EXPECT_EQ(lines(failure), "  r.kts:9: mode == HEATING | Failed\n");
}

TEST(FailureLines, AThousandRowsAreShownAndTheOthersCounted)
{
    const xrdtool::PathMap map;
    FailureLines failure(map, LineForm::Escaped);
    const xrd::Table rows = table("5,95");
    for (int i = 0; i < 2500; ++i)
        failure.row(rows, row({"check " + std::to_string(i) + "@t.kts:" + std::to_string(i)}, i % 2 == 0));
    const std::string out = lines(failure);
    std::vector<std::string> got;
    for (std::size_t from = 0, end; (end = out.find('\n', from)) != std::string::npos; from = end + 1)
        got.push_back(out.substr(from, end - from));
    ASSERT_EQ(got.size(), 1001u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(got[std::size_t(i)],
                  "  t.kts:" + std::to_string(2 * i) + ": check " + std::to_string(2 * i));
    EXPECT_EQ(got.back(), "  \xE2\x80\xA6 250 more failed rows");
    EXPECT_EQ(failure.failedRows(), 1250u);
}

TEST(FailureLines, TextsAreOneLineMappedAndCut)
{
    xrdtool::PathMap map({"C:\\work\\=src/"});
    FailureLines escaped(map, LineForm::Escaped);
    FailureLines raw(map, LineForm::Raw);
    const xrd::Row r = row({"a\nb\tc@C:\\work\\t.kts:3", std::string(10000, 'x') + "\xC3\xA9"}, true);
    escaped.row(table("5,95"), r);
    raw.row(table("5,95"), r);
    // A line is cut to 4 KiB after its location.
    const std::string ellipsis = "\xE2\x80\xA6";
    EXPECT_EQ(lines(escaped),
              "  src/t.kts:3: a\\x0Ab\\x09c | " + std::string(4096 - 14, 'x') + ellipsis + "\n");
    EXPECT_EQ(lines(raw), "  src/t.kts:3: a\nb\tc | " + std::string(4096 - 8, 'x') + ellipsis + "\n");
    // A text cut after its escapes keeps whole characters and whole escapes.
    for (const std::string& tail : {std::string("\n"), std::string("\xC3\xA9")}) {
        std::string out;
        FailureLines::appendText(out, std::string(4094, 'y') + tail + "z", LineForm::Escaped);
        EXPECT_EQ(out, std::string(4094, 'y') + (tail == "\n" ? "" : tail) + ellipsis);
    }
}

} // namespace
