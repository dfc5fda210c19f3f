// How much of an entry's tables the reader gathers (ReportHandler::tableContent):
// every level must give the same locations, rows and failures, and rows and
// cells reused from table to table must never carry anything over.

#include "xrd/read_buffer.h"
#include "xrd/report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <map>
#include <string>
#include <vector>

namespace {

/// Asks for one content level for every entry and records what it is given.
struct LevelRecorder : xrd::ReportHandler {
    xrd::TableContent level = xrd::TableContent::Whole;
    bool keep = false;
    std::map<std::string, std::string> locations; // entry name -> "PATH:LINE" or "-"
    std::vector<xrd::Table> contents;             // entryContent, in order
    std::map<std::string, std::vector<xrd::Table>> kept;
    std::vector<xrd::Table> info;
    std::size_t budget = NoRowBudget;

    std::size_t rowBudget(const xrd::Entry&) const override { return budget; }
    xrd::TableContent tableContent(const xrd::Entry&) const override { return level; }
    bool keepTables(const xrd::Entry&) const override { return keep; }
    void infoTable(const xrd::Table& table) override { info.push_back(table); }
    void entryContent(const xrd::Entry&, const xrd::Table& table) override { contents.push_back(table); }
    void entryClosed(const xrd::Entry& entry) override
    {
        locations[entry.name] = entry.location
            ? entry.location->path + ":" + std::to_string(entry.location->line)
            : std::string("-");
        kept[entry.name] = entry.tables;
    }
};

std::string document(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XROD><APIDOC><DOCUMENT TITLE=\"r.xrd\">"
           "<XROD:NODE name=\"Global Report\" type=\"Global Report\" state=\"ko\"><SECTION TAG=\"filex2\">"
           "<TITLE LEVEL=\"0\"><TEXT>Node</TEXT></TITLE><TABLE BORDER=\"1\"></TABLE>"
           "<TABLE BORDER=\"1\"><ROW><CELL_TEXT STYLE=\"Array\">Host</CELL_TEXT><CELL_TEXT "
           "STYLE=\"Array\">ci</CELL_TEXT>"
           "</ROW><ROW STYLE=\"Array Title\"><CELL_TEXT STYLE=\"Array "
           "Title\">styled</CELL_TEXT></ROW></TABLE></SECTION>"
           "<XROD:NODE name=\"d\" type=\"Test Driver\" state=\"ko\"><SECTION TAG=\"rootx8\">" +
        body + "</SECTION></XROD:NODE></XROD:NODE></DOCUMENT></APIDOC></XROD>\n";
}

std::string cell(const std::string& style, const std::string& text, const std::string& target = "")
{
    if (target.empty())
        return "<CELL_TEXT STYLE=\"" + style + "\">" + text + "</CELL_TEXT>";
    return "<CELL STYLE=\"" + style + "\"><LINK TARGET=\"" + target + "\"><TEXT>" + text +
        "</TEXT></LINK></CELL>";
}

std::string member(const std::string& name, const std::string& state, const std::string& tables)
{
    return "<XROD:NODE name=\"" + name + "\" type=\"Invariant\" state=\"" + state +
        "\" sum=\"1\">"
        "<TITLE LEVEL=\"2\"><TEXT>Invariant " +
        name + "</TEXT></TITLE>" + tables + "</XROD:NODE>";
}

/// Class members whose locations come from their rows, with tables of changing
/// shapes one after the other: five cells, then two, then three rows of one.
const std::string Body =
    "<XROD:NODE name=\"K\" type=\"Class\" state=\"ko\"><TITLE LEVEL=\"1\"><LINK TARGET=\"k.kts line 1\">"
    "<TEXT>Class K</TEXT></LINK></TITLE>" +
    member("wide", "ko",
           "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\"><ROW STYLE=\"Array Title\">" +
               cell("Array Title", "Expression") + cell("Array Title", "Status") +
               cell("Array Title", "Executed") + cell("Array Title", "Failed") +
               cell("Array Title", "Passed") + "</ROW><ROW>" +
               cell("Array Passed", "a long expression text here", "w.kts line 2") +
               cell("Array Passed", "Passed") + cell("Array Passed", "1") + cell("Array Passed", "0") +
               cell("Array Passed", "1") + "</ROW><ROW>" + cell("Array", "no link yet") +
               cell("Array Failed", "b()", "w.kts line 3") + cell("Array Failed", "Failed", "w.kts line 99") +
               "</ROW></TABLE>") +
    member("narrow", "ok",
           "<TABLE BORDER=\"0\" WIDTH=\"55,45\"><ROW>" + cell("Array", "print") + cell("Array", "") +
               "</ROW></TABLE>"
               "<TABLE BORDER=\"1\" WIDTH=\"40,30,30\"><ROW>" +
               cell("Array Passed", "x", "n.kts line 5") + "</ROW><ROW>" + cell("Array Passed", "y") +
               "</ROW><ROW>" + cell("Array Passed", "z") + "</ROW></TABLE>") +
    // The last link of a cell counts, and a link without a usable target removes it.
    member("relinked", "ko",
           "<TABLE WIDTH=\"5,95\"><ROW><CELL STYLE=\"Array Failed\"><LINK TARGET=\"r.kts line 7\"/>"
           "<LINK TARGET=\"not a target\"/><TEXT>t</TEXT></CELL>" +
               cell("Array Failed", "u", "r.kts line 8") + "</ROW></TABLE>") +
    member("bare", "NE", "") + "</XROD:NODE>";

/// The rows as one text per row: failure, then each cell's text, link and style.
std::vector<std::string> rowsOf(const std::vector<xrd::Table>& tables, bool styles)
{
    std::vector<std::string> rows;
    for (const xrd::Table& table : tables) {
        rows.push_back("table " + table.width + " " + table.border);
        for (const xrd::Row& row : table.rows) {
            std::string text = row.failed ? "F" : row.header ? "H" : "-";
            if (styles)
                text += " [" + row.style + "]";
            for (const xrd::Cell& c : row.cells) {
                text += " | " + c.text;
                if (c.link)
                    text += " @" + c.link->path + ":" + std::to_string(c.link->line);
                if (styles)
                    text += " [" + c.style + "]";
            }
            rows.push_back(text);
        }
    }
    return rows;
}

xrd::ReadResult read(LevelRecorder& handler)
{
    const std::string doc = document(Body);
    return xrd::detail::readReportBuffer(doc.data(), doc.size(), handler);
}

TEST(TableContent, EveryLevelGivesTheSameLocations)
{
    const std::map<std::string, std::string> expected = {
        {"Global Report", "-"}, {"d", "-"},
        {"K", "k.kts:1"},       {"wide", "w.kts:3"},     // the failed row's first link
        {"narrow", "n.kts:5"},  {"relinked", "r.kts:8"}, // the first cell lost its link
        {"bare", "k.kts:1"}};
    for (const auto level : {xrd::TableContent::Whole, xrd::TableContent::Texts,
                             xrd::TableContent::BlockTexts, xrd::TableContent::None}) {
        LevelRecorder r;
        r.level = level;
        ASSERT_TRUE(read(r).ok());
        EXPECT_EQ(r.locations, expected) << "level " << int(level);
        // The report information is read whole whatever the entries ask for.
        ASSERT_EQ(r.info.size(), 1u);
        EXPECT_EQ(r.info[0].rows.at(0).cells.at(1).text, "ci");
        EXPECT_EQ(r.info[0].rows.at(0).cells.at(1).style, "Array");
    }
}

TEST(TableContent, TextsIsWholeWithoutStylesAndNoneHandsOutNothing)
{
    LevelRecorder whole;
    ASSERT_TRUE(read(whole).ok());
    const std::vector<std::string> expected = {
        "table 40,15,15,15,15 1",
        "H [Array Title] | Expression [Array Title] | Status [Array Title] | Executed [Array Title] | Failed "
        "[Array Title] "
        "| Passed [Array Title]",
        "- [] | a long expression text here @w.kts:2 [Array Passed] | Passed [Array Passed] | 1 [Array "
        "Passed] | 0 "
        "[Array Passed] | 1 [Array Passed]",
        "F [] | no link yet [Array] | b() @w.kts:3 [Array Failed] | Failed @w.kts:99 [Array Failed]",
        "table 55,45 0",
        "- [] | print [Array] |  [Array]",
        "table 40,30,30 1",
        "- [] | x @n.kts:5 [Array Passed]",
        "- [] | y [Array Passed]",
        "- [] | z [Array Passed]",
        "table 5,95 ",
        "F [] | t [Array Failed] | u @r.kts:8 [Array Failed]"};
    EXPECT_EQ(rowsOf(whole.contents, true), expected);

    LevelRecorder texts;
    texts.level = xrd::TableContent::Texts;
    ASSERT_TRUE(read(texts).ok());
    EXPECT_EQ(rowsOf(texts.contents, false), rowsOf(whole.contents, false));
    for (const std::string& row : rowsOf(texts.contents, true))
        EXPECT_EQ(row.find("[A"), std::string::npos) << row; // no style, not even a stale one

    LevelRecorder none;
    none.level = xrd::TableContent::None;
    ASSERT_TRUE(read(none).ok());
    EXPECT_TRUE(none.contents.empty());
}

TEST(TableContent, BlockTextsHandsOutTheCommentBlocksAndTraceTextsOnly)
{
    LevelRecorder texts;
    texts.level = xrd::TableContent::Texts;
    ASSERT_TRUE(read(texts).ok());
    LevelRecorder blocks;
    blocks.level = xrd::TableContent::BlockTexts;
    ASSERT_TRUE(read(blocks).ok());
    // The two results tables (40,15,... and 40,30,30) are passed over; the
    // print block and the trace texts come as Texts gives them.
    const std::vector<std::string> expected = {"table 55,45 0", "- | print | ", "table 5,95 ",
                                               "F | t | u @r.kts:8"};
    EXPECT_EQ(rowsOf(blocks.contents, false), expected);
    ASSERT_EQ(texts.contents.size(), 4u);
    EXPECT_EQ(rowsOf({texts.contents[1], texts.contents[3]}, false), expected);
}

TEST(TableContent, KeptTablesAreReadWithTheirTextsAtLeast)
{
    LevelRecorder whole;
    whole.keep = true;
    ASSERT_TRUE(read(whole).ok());
    for (const auto level : {xrd::TableContent::None, xrd::TableContent::BlockTexts}) {
        LevelRecorder less;
        less.keep = true;
        less.level = level;
        ASSERT_TRUE(read(less).ok());
        for (const char* name : {"wide", "narrow", "relinked"}) {
            EXPECT_FALSE(less.kept[name].empty()) << name;
            EXPECT_EQ(rowsOf(less.kept[name], false), rowsOf(whole.kept[name], false)) << name;
        }
        EXPECT_EQ(rowsOf(less.contents, false), rowsOf(whole.contents, false)) << "level " << int(level);
    }
}

TEST(TableContent, ReusedRowsAndCellsCarryNothingOver)
{
    // Tables that grow and shrink in both directions, with links and failures
    // in other places each time: rows and cells come back in other positions,
    // and what a handler sees must be exactly what the document says.
    const std::vector<std::vector<std::size_t>> shapes = {{3, 3}, {1}, {4, 2, 1}, {2}, {1, 5, 3}};
    auto text = [](std::size_t t, std::size_t r, std::size_t c) {
        return "t" + std::to_string(t) + "r" + std::to_string(r) + "c" + std::to_string(c);
    };
    auto linked = [](std::size_t t, std::size_t c) { return (c + t) % 3 == 0; };
    auto failed = [](std::size_t t, std::size_t r, std::size_t c) { return (c + r + t) % 4 == 1; };
    std::string tables;
    for (std::size_t t = 0; t < shapes.size(); ++t) {
        tables += "<TABLE WIDTH=\"5,95\">";
        for (std::size_t r = 0; r < shapes[t].size(); ++r) {
            tables += "<ROW>";
            for (std::size_t c = 0; c < shapes[t][r]; ++c)
                tables += cell(failed(t, r, c) ? "Array Failed" : "Array", text(t, r, c),
                               linked(t, c) ? "p.kts line " + std::to_string(r) : "");
            tables += "</ROW>";
        }
        tables += "</TABLE>";
    }
    const std::string doc = document(member("m", "ko", tables));
    for (const auto level : {xrd::TableContent::Whole, xrd::TableContent::Texts}) {
        LevelRecorder rec;
        rec.level = level;
        ASSERT_TRUE(xrd::detail::readReportBuffer(doc.data(), doc.size(), rec).ok());
        ASSERT_EQ(rec.contents.size(), shapes.size());
        for (std::size_t t = 0; t < shapes.size(); ++t) {
            const xrd::Table& table = rec.contents[t];
            ASSERT_EQ(table.rows.size(), shapes[t].size()) << "table " << t;
            for (std::size_t r = 0; r < table.rows.size(); ++r) {
                const xrd::Row& row = table.rows[r];
                ASSERT_EQ(row.cells.size(), shapes[t][r]) << "table " << t << " row " << r;
                bool anyFailed = false;
                for (std::size_t c = 0; c < row.cells.size(); ++c) {
                    const xrd::Cell& got = row.cells[c];
                    SCOPED_TRACE(text(t, r, c));
                    anyFailed = anyFailed || failed(t, r, c);
                    EXPECT_EQ(got.text, text(t, r, c));
                    ASSERT_EQ(got.link.has_value(), linked(t, c));
                    if (got.link) {
                        EXPECT_EQ(got.link->line, long(r));
                    }
                    EXPECT_EQ(got.style,
                              level == xrd::TableContent::Texts ? ""
                                  : failed(t, r, c)             ? "Array Failed"
                                                                : "Array");
                    EXPECT_EQ(got.omitted, 0u);
                }
                EXPECT_EQ(row.failed, anyFailed);
                EXPECT_EQ(row.style, ""); // none in the document, none left from the report information
            }
        }
    }
}

/// Takes the rows one at a time and gathers copies of them into tables.
struct RowStreamer : LevelRecorder {
    std::vector<xrd::Table> streamed;
    xrd::Table pending;

    bool streamRows(const xrd::Entry&) const override { return true; }
    void entryRow(const xrd::Entry&, const xrd::Table& table, const xrd::Row& row) override
    {
        EXPECT_TRUE(table.rows.size() == 1 && &table.rows[0] == &row) << "rows are not gathered";
        pending.rows.push_back(row);
    }
    void entryContent(const xrd::Entry& entry, const xrd::Table& table) override
    {
        EXPECT_TRUE(keep || table.rows.empty());
        pending.width = table.width;
        pending.border = table.border;
        streamed.push_back(pending);
        pending = xrd::Table();
        LevelRecorder::entryContent(entry, table);
    }
};

TEST(TableContent, StreamedRowsAreTheRowsOfTheTablesOneAtATime)
{
    for (const auto level : {xrd::TableContent::Whole, xrd::TableContent::Texts,
                             xrd::TableContent::BlockTexts, xrd::TableContent::None}) {
        LevelRecorder tables;
        tables.level = level;
        ASSERT_TRUE(read(tables).ok());
        RowStreamer rows;
        rows.level = level;
        ASSERT_TRUE(read(rows).ok());
        EXPECT_EQ(rowsOf(rows.streamed, true), rowsOf(tables.contents, true)) << "level " << int(level);
        EXPECT_EQ(rows.locations, tables.locations);
    }
    // Kept tables are whole: the handler cannot take their rows one by one.
    RowStreamer kept;
    kept.keep = true;
    ASSERT_TRUE(read(kept).ok());
    EXPECT_EQ(rowsOf(kept.kept["wide"], false).size(), 4u);
}

TEST(TableContent, KeptRowsStopAtTheBudgetButTheFirstFailedRowIsKept)
{
    // Rows of one 8-byte cell weigh 24 bytes: a budget of 240 keeps ten rows,
    // counted across the entry's tables; the rest are only counted.
    auto rows = [](std::size_t count, std::vector<std::size_t> failedAt) {
        std::string table = "<TABLE WIDTH=\"5,95\">";
        for (std::size_t r = 0; r < count; ++r) {
            const bool failed = std::find(failedAt.begin(), failedAt.end(), r) != failedAt.end();
            table += "<ROW>" +
                cell(failed ? "Array Failed" : "Array", "row " + std::to_string(1000 + r),
                     failed ? "m.kts line " + std::to_string(r) : "") +
                "</ROW>";
        }
        return table + "</TABLE>";
    };
    const std::string doc = document(member("m", "ko", rows(6, {}) + rows(20, {15, 18}) + rows(3, {})));
    LevelRecorder rec;
    rec.keep = true;
    rec.budget = 240;
    ASSERT_TRUE(xrd::detail::readReportBuffer(doc.data(), doc.size(), rec).ok());
    const std::vector<xrd::Table>& kept = rec.kept["m"];
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].rows.size(), 6u);
    EXPECT_EQ(kept[0].rowsLeftOut, 0u);
    ASSERT_EQ(kept[1].rows.size(), 5u);
    EXPECT_EQ(kept[1].rows[3].cells.at(0).text, "row 1003");
    EXPECT_EQ(kept[1].rows[4].cells.at(0).text, "row 1015");
    EXPECT_TRUE(kept[1].rows[4].failed);
    EXPECT_EQ(kept[1].rowsLeftOut, 15u);
    EXPECT_EQ(kept[2].rows.size(), 0u);
    EXPECT_EQ(kept[2].rowsLeftOut, 3u);
    EXPECT_EQ(rec.locations["m"], "m.kts:15");
}

TEST(TableContent, LinkTargetsParseIntoReusedStorage)
{
    xrd::Location location{std::string(100, 'x'), 5};
    const std::string target = "dir/a line 2/b.kts line -12";
    ASSERT_TRUE(xrd::parseLinkTarget(target.data(), target.size(), location));
    EXPECT_EQ(location.path, "dir/a line 2/b.kts");
    EXPECT_EQ(location.line, -12);
    for (const std::string bad :
         {"line 3", "a line", "a line -", "a line 1 ", "a line +1", "", " line 1234567890123456789"})
        EXPECT_FALSE(xrd::parseLinkTarget(bad.data(), bad.size(), location)) << bad;
    const std::string shortest = " line 0";
    ASSERT_TRUE(xrd::parseLinkTarget(shortest.data(), shortest.size(), location));
    EXPECT_EQ(location.path, "");
    EXPECT_EQ(location.line, 0);
}

} // namespace
