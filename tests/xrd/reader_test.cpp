// The reader on small documents in the shape quorvanel writes, and on hostile ones.

#include "xrd/read_buffer.h"
#include "xrd/report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

/// Records what the reader hands out, as one line per event.
struct Recorder : xrd::ReportHandler {
    std::vector<std::string> events;
    std::vector<xrd::Table> info;
    std::vector<xrd::Entry> closed;

    void documentTitle(const std::string& title) override { events.push_back("title " + title); }
    void infoTable(const xrd::Table& table) override { info.push_back(table); }
    void entryOpened(const xrd::Entry& entry) override
    {
        events.push_back("open " + entry.name + " " + std::to_string(entry.depth));
    }
    void entryContent(const xrd::Entry& entry, const xrd::Table& table) override
    {
        events.push_back("table " + entry.name + " " + std::to_string(table.rows.size()));
    }
    void entryClosed(const xrd::Entry& entry) override
    {
        events.push_back("close " + entry.name);
        closed.push_back(entry);
        closed.back().parent = nullptr;
    }
    const xrd::Entry& entry(const std::string& name) const
    {
        for (const xrd::Entry& e : closed) {
            if (e.name == name)
                return e;
        }
        static xrd::Entry none;
        ADD_FAILURE() << "no entry " << name;
        return none;
    }
};

xrd::ReadResult read(const std::string& document, Recorder& recorder)
{
    return xrd::detail::readReportBuffer(document.data(), document.size(), recorder);
}

std::string head()
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<XROD>\n<APIDOC>\n<DOCUMENT TITLE=\"r.xrd\" "
           "TAG=\"Testx1\">\n"
           "<XROD:NODE name=\"Global Report\" type=\"Global Report\" state=\"ko\" icone=\"testscript.xpm\">"
           "<SECTION TAG=\"filex2\">\n<TITLE LEVEL=\"0\" TAG=\"nodex3\" STYLE=\"Title1\">\n<TEXT>My "
           "Node</TEXT>\n</TITLE>\n"
           "<TITLE LEVEL=\"1\" TAG=\"nodex4\" STYLE=\"Title2\">\n<TEXT>Report summary</TEXT>\n</TITLE>\n"
           "<TABLE BORDER=\"1\">\n<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\">Product "
           "1.0</CELL_TEXT></ROW>"
           "<ROW STYLE=\"Array Title\"><CELL_TEXT COLSPAN=\"1\" ROWSPAN=\"0\">(C) "
           "notice</CELL_TEXT></ROW><ROW>\n"
           "<CELL_TEXT STYLE=\"Array\">Bestanden</CELL_TEXT>\n<CELL_TEXT "
           "STYLE=\"Array\">1</CELL_TEXT>\n</ROW>\n"
           "<ROW>\n<CELL_TEXT STYLE=\"Array\">Inconclusive</CELL_TEXT>\n<CELL_TEXT "
           "STYLE=\"Array\">2</CELL_TEXT>\n</ROW>\n"
           "<ROW>\n<CELL_TEXT STYLE=\"Array Failed\">Failed</CELL_TEXT>\n<CELL_TEXT STYLE=\"Array "
           "Failed\">3</CELL_TEXT>\n</ROW>\n"
           "<ROW>\n<CELL_TEXT STYLE=\"Array\">Total</CELL_TEXT>\n<CELL_TEXT "
           "STYLE=\"Array\">6</CELL_TEXT>\n</ROW>\n</TABLE>\n"
           "<TITLE LEVEL=\"1\" TAG=\"nodex5\" STYLE=\"Title2\">\n<TEXT>Report Information</TEXT>\n</TITLE>\n"
           "<TABLE BORDER=\"1\">\n<ROW>\n<CELL_TEXT STYLE=\"Array\">Report Generation Time</CELL_TEXT>\n"
           "<CELL_TEXT STYLE=\"Array\">Mon Dec 7 09:05:03 2026</CELL_TEXT>\n</ROW>\n</TABLE>\n"
           "<TITLE LEVEL=\"2\" TAG=\"nodex6\" STYLE=\"Title3\">\n<TEXT>Setup</TEXT>\n</TITLE>\n"
           "<TABLE BORDER=\"1\">\n<ROW>\n<CELL_TEXT STYLE=\"Array\">Host</CELL_TEXT>\n<CELL_TEXT "
           "STYLE=\"Array\">ci</CELL_TEXT>\n</ROW>\n</TABLE>\n"
           "</SECTION>\n";
}

std::string tail()
{
    return "</XROD:NODE>\n</DOCUMENT>\n</APIDOC>\n</XROD>\n";
}

std::string driver(const std::string& name, const std::string& body)
{
    return "<XROD:NODE name=\"" + name +
        "\" type=\"Test Driver\" state=\"ko\" icone=\"testscript.xpm\">"
        "<SECTION TAG=\"rootx8\">\n<TITLE LEVEL=\"0\" TAG=\"nodex9\" STYLE=\"Title1 Failed\">\n<TEXT>Test "
        "Driver " +
        name + "</TEXT>\n</TITLE>\n" + body + "</SECTION>\n</XROD:NODE>\n";
}

std::string testCase(const std::string& name, const std::string& state, const std::string& link,
                     const std::string& body, const std::string& type = "Test Case")
{
    return "<XROD:NODE name=\"" + name + "\" type=\"" + type + "\" state=\"" + state +
        "\" sum=\"1\" icone=\"method.xpm\"><TITLE LEVEL=\"1\" TAG=\"nodex10\" STYLE=\"Title2\">\n<LINK "
        "TARGET=\"" +
        link + "\">\n<TEXT>" + type + " " + name + "</TEXT>\n</LINK>\n</TITLE>\n" + body + "</XROD:NODE>\n";
}

const std::string ResultsTable =
    "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n<ROW>\n<CELL_TEXT STYLE=\"Array "
    "Title\">Expression</CELL_TEXT>\n</ROW>\n"
    "<ROW>\n<CELL_TEXT STYLE=\"Array Passed\">a == 1</CELL_TEXT>\n<CELL_TEXT STYLE=\"Array "
    "Passed\">Passed</CELL_TEXT>\n</ROW>\n"
    "<ROW>\n<CELL_TEXT STYLE=\"Array Failed\">b &lt; 2 &amp;&amp; c</CELL_TEXT>\n<CELL_TEXT STYLE=\"Array "
    "Failed\">Failed</CELL_TEXT>\n</ROW>\n"
    "</TABLE>\n"
    "<TABLE BORDER=\"1\" WIDTH=\"55,45\">\n<ROW>\n<CELL STYLE=\"Array\">\n<IMAGE NAME=\"arrow10.xpm\"/><LINK "
    "TARGET=\"t.kts line 9\">\n"
    "<TEXT>Print&quot;x&quot;</TEXT>\n</LINK>\n</CELL>\n<CELL "
    "STYLE=\"Array\">\n<TEXT>(x2)</TEXT>\n</CELL>\n</ROW>\n</TABLE>\n"
    "<TABLE BORDER=\"0\" WIDTH=\"5,95\">\n<ROW>\n<CELL STYLE=\"Array\">\n</CELL>\n<CELL "
    "STYLE=\"Array\">\n<TEXT>temp&#233;rature</TEXT>\n"
    "</CELL>\n</ROW>\n</TABLE>\n";

TEST(Reader, HandsOutEntriesTablesSummaryAndInformationInDocumentOrder)
{
    Recorder r;
    const std::string doc =
        head() + driver("drv", testCase("case", "ko", "t.kts line 4", ResultsTable)) + tail();
    const xrd::ReadResult result = read(doc, r);
    ASSERT_TRUE(result.ok()) << result.reason;
    const std::vector<std::string> expected = {
        "open Global Report 0", "title My Node", "open drv 1", "open case 2", "table case 3",
        "table case 1",         "table case 1",  "close case", "close drv",   "close Global Report"};
    EXPECT_EQ(r.events, expected);

    // The summary is read by position: its labels are translated.
    EXPECT_TRUE(result.summary.present);
    EXPECT_EQ(result.summary.passed, 1);
    EXPECT_EQ(result.summary.inconclusive, 2);
    EXPECT_EQ(result.summary.failed, 3);
    EXPECT_EQ(result.summary.total, 6);

    ASSERT_EQ(r.info.size(), 2u);
    EXPECT_EQ(r.info[0].heading, "");
    EXPECT_EQ(r.info[0].rows.at(0).cells.at(1).text, "Mon Dec 7 09:05:03 2026");
    EXPECT_EQ(r.info[1].heading, "Setup");
    EXPECT_EQ(r.info[1].rows.at(0).cells.at(0).text, "Host");

    const xrd::Entry& c = r.entry("case");
    EXPECT_TRUE(c.counted);
    EXPECT_EQ(c.state, xrd::EntryState::Failed);
    EXPECT_EQ(c.section, xrd::SectionKind::Driver);
    EXPECT_EQ(c.title, "Test Case case");
    ASSERT_EQ(c.tables.size(), 3u);
    EXPECT_EQ(xrd::tableKind(c.tables[0]), xrd::TableKind::Results);
    EXPECT_EQ(xrd::tableKind(c.tables[1]), xrd::TableKind::CommentBlock);
    EXPECT_EQ(xrd::tableKind(c.tables[2]), xrd::TableKind::TraceTexts);
    EXPECT_FALSE(c.tables[0].rows[1].failed);
    EXPECT_TRUE(c.tables[0].rows[2].failed);
    EXPECT_EQ(c.tables[0].rows[2].cells[0].text, "b < 2 && c");
    EXPECT_EQ(c.tables[0].rows[2].cells[0].style, "Array Failed");
    const xrd::Cell& print = c.tables[1].rows[0].cells[0];
    EXPECT_EQ(print.text, "Print\"x\"");
    ASSERT_TRUE(print.link);
    EXPECT_EQ(print.link->path, "t.kts");
    EXPECT_EQ(print.link->line, 9);
    EXPECT_EQ(c.tables[2].rows[0].cells[0].text, "");
    EXPECT_EQ(c.tables[2].rows[0].cells[1].text, "temp\xC3\xA9rature");
    EXPECT_FALSE(r.entry("drv").counted);
    EXPECT_EQ(r.entry("Global Report").section, xrd::SectionKind::Global);
}

TEST(Reader, LocationsFollowTitleThenFailedRowThenFirstRowThenAncestor)
{
    const std::string member = [] {
        // A class member: plain title, link cells in its rows; the second row failed.
        return std::string(
            "<XROD:NODE name=\"Invariant\" type=\"Invariant\" state=\"ko\" sum=\"1\">"
            "<TITLE LEVEL=\"2\" TAG=\"nodex20\" STYLE=\"Title3 Failed\">\n<TEXT>Invariant</TEXT>\n</TITLE>\n"
            "<TABLE BORDER=\"1\" WIDTH=\"40,15,15,15,15\">\n"
            "<ROW>\n<CELL STYLE=\"Array Passed\"><LINK TARGET=\"c.kts line "
            "37\">\n<TEXT>ok()</TEXT>\n</LINK>\n</CELL>\n</ROW>\n"
            "<ROW>\n<CELL STYLE=\"Array Failed\"><LINK TARGET=\"c.kts line "
            "38\">\n<TEXT>bad()</TEXT>\n</LINK>\n</CELL>\n</ROW>\n"
            "</TABLE>\n</XROD:NODE>\n");
    }();
    const std::string passedMember =
        "<XROD:NODE name=\"State\" type=\"State\" state=\"ok\" sum=\"1\"><TITLE LEVEL=\"2\" TAG=\"nodex21\" "
        "STYLE=\"Title3\">\n"
        "<TEXT>State</TEXT>\n</TITLE>\n<TABLE BORDER=\"1\" WIDTH=\"40,30,30\">\n"
        "<ROW>\n<CELL_TEXT STYLE=\"Array Title\">State Name</CELL_TEXT>\n</ROW>\n"
        "<ROW>\n<CELL STYLE=\"Array Passed\"><LINK TARGET=\" line "
        "40\">\n<TEXT>Idle</TEXT>\n</LINK>\n</CELL>\n</ROW>\n"
        "</TABLE>\n</XROD:NODE>\n";
    const std::string bare =
        "<XROD:NODE name=\"Transition\" type=\"Transition\" state=\"NE\" sum=\"1\"></XROD:NODE>\n";
    const std::string klass =
        "<XROD:NODE name=\"Klass\" type=\"Class\" state=\"ko\" icone=\"class.xpm\">"
        "<TITLE LEVEL=\"1\" TAG=\"nodex19\" STYLE=\"Title2 Failed\">\n<LINK TARGET=\"dir/c.kts line 30\">\n"
        "<TEXT>Class Klass</TEXT>\n</LINK>\n</TITLE>\n" +
        member + passedMember + bare + "</XROD:NODE>\n";
    const std::string contracts =
        "<XROD:NODE name=\"Contracts\" type=\"Contracts\" state=\"ko\"><SECTION TAG=\"classx18\">\n" + klass +
        "</SECTION>\n</XROD:NODE>\n";
    const std::string orphan =
        "<XROD:NODE name=\"Orphan\" type=\"Proc\" state=\"ok\" sum=\"1\"></XROD:NODE>\n";
    Recorder r;
    ASSERT_TRUE(read(head() + driver("d", orphan) + contracts + tail(), r).ok());

    EXPECT_EQ(r.entry("Invariant").location->line, 38); // the failed row, not the first
    EXPECT_EQ(r.entry("State").location->path, "");     // an empty path is kept
    EXPECT_EQ(r.entry("State").location->line, 40);
    EXPECT_EQ(r.entry("Transition").location->path, "dir/c.kts"); // the class's
    EXPECT_EQ(r.entry("Transition").location->line, 30);
    EXPECT_FALSE(r.entry("Orphan").location.has_value());
    EXPECT_EQ(r.entry("Invariant").section, xrd::SectionKind::Contracts);
    EXPECT_EQ(r.entry("Klass").depth, 2u);
    EXPECT_EQ(r.entry("Invariant").depth, 3u);
}

TEST(Reader, StatusRules)
{
    const auto resultStatus = [](xrd::EntryState state, const std::string& type) {
        xrd::Entry entry;
        entry.state = state;
        entry.type = type;
        return entry.status();
    };
    EXPECT_EQ(resultStatus(xrd::EntryState::Failed, "Stub"), xrd::ResultStatus::Failed);
    EXPECT_EQ(resultStatus(xrd::EntryState::Passed, "Test Case"), xrd::ResultStatus::Passed);
    EXPECT_EQ(resultStatus(xrd::EntryState::NotExecuted, "Test Case"), xrd::ResultStatus::Inconclusive);
    // A stub never called counts as passed, as in the report's own summary.
    EXPECT_EQ(resultStatus(xrd::EntryState::NotExecuted, "Stub"), xrd::ResultStatus::Passed);
    EXPECT_EQ(resultStatus(xrd::EntryState::NotExecuted, "Proc"), xrd::ResultStatus::Inconclusive);
    // So it does in a report written in another language: the type as each
    // catalogue translates it.
    for (const std::string& catalogue : {"quorvanel_de"}) {
        std::ifstream file(std::string(XRD_TEST_SOURCE_DIR) + "/i18n/" + catalogue + ".ts");
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::size_t source = text.find("<source>Stub</source>");
        ASSERT_NE(source, std::string::npos) << catalogue;
        const std::size_t begin = text.find("<translation>", source) + std::strlen("<translation>");
        const std::string stub = text.substr(begin, text.find("</translation>", begin) - begin);
        ASSERT_FALSE(stub.empty()) << catalogue;
        EXPECT_EQ(resultStatus(xrd::EntryState::NotExecuted, stub), xrd::ResultStatus::Passed) << stub;
        EXPECT_EQ(resultStatus(xrd::EntryState::Failed, stub), xrd::ResultStatus::Failed) << stub;
    }

    Recorder r;
    const std::string doc = head() +
        driver("d",
               testCase("s", "NE", "a line 1", "", "Stub") +
                   "<XROD:NODE name=\"u\" type=\"Test Case\" state=\"what\" sum=\"0\"></XROD:NODE>\n") +
        tail();
    ASSERT_TRUE(read(doc, r).ok());
    EXPECT_EQ(r.entry("s").status(), xrd::ResultStatus::Passed);
    EXPECT_FALSE(r.entry("u").counted);
    EXPECT_EQ(r.entry("u").state, xrd::EntryState::NotExecuted);
}

TEST(Reader, LinkTargets)
{
    auto at = [](const std::string& target) -> std::optional<xrd::Location> {
        xrd::Location location;
        if (!xrd::parseLinkTarget(target.data(), target.size(), location))
            return std::nullopt;
        return location;
    };
    EXPECT_EQ(at("a/b.kts line 12")->path, "a/b.kts");
    EXPECT_EQ(at("a/b.kts line 12")->line, 12);
    EXPECT_EQ(at(" line 3")->path, "");
    // A path holding " line " itself: the last one separates.
    EXPECT_EQ(at("my line 2/x.kts line 7")->path, "my line 2/x.kts");
    EXPECT_EQ(at("my line 2/x.kts line 7")->line, 7);
    EXPECT_FALSE(at("x.kts"));
    EXPECT_FALSE(at("x.kts line "));
    EXPECT_FALSE(at("x.kts line 1a"));
}

TEST(Reader, NamesKeepTheirBytesIncludingMarkupQuotesLineEndsAndEmptyNames)
{
    Recorder r;
    const std::string names[] = {"&lt;script&gt;alert(1)&lt;/script&gt;",
                                 "a &amp; b &quot;q&quot; 'x'",
                                 "]]&gt; end",
                                 "two&#10;lines",
                                 "\xEF\xBF\xBD caf\xC3\xA9",
                                 "",
                                 "lit &amp;#38; &#38;&#38;"};
    std::string body;
    for (const std::string& name : names)
        body += testCase(name, "ok", "p line 1", "");
    ASSERT_TRUE(read(head() + driver("d", body) + tail(), r).ok());
    ASSERT_EQ(r.closed.size(), 9u);
    EXPECT_EQ(r.closed[0].name, "<script>alert(1)</script>");
    EXPECT_EQ(r.closed[1].name, "a & b \"q\" 'x'");
    EXPECT_EQ(r.closed[2].name, "]]> end");
    EXPECT_EQ(r.closed[3].name, "two\nlines");
    EXPECT_EQ(r.closed[4].name, "\xEF\xBF\xBD caf\xC3\xA9");
    EXPECT_EQ(r.closed[5].name, "");
    EXPECT_EQ(r.closed[6].name, "lit &#38; &&");
}

TEST(Reader, CdataAndLongTextsAreKeptUpToTheLimit)
{
    Recorder r;
    const std::string big(3 << 20, 'x');
    const std::string table =
        "<TABLE BORDER=\"0\" WIDTH=\"5,95\">\n<ROW>\n<CELL STYLE=\"Array\">\n<TEXT><![CDATA[a]]>b" + big +
        "</TEXT>\n</CELL>\n</ROW>\n</TABLE>\n";
    ASSERT_TRUE(read(head() + driver("d", testCase("c", "ok", "p line 1", table)) + tail(), r).ok());
    const xrd::Cell& cell = r.entry("c").tables.at(0).rows.at(0).cells.at(0);
    EXPECT_EQ(cell.text.size(), std::size_t(1) << 20);
    EXPECT_EQ(cell.text.substr(0, 3), "abx");
    EXPECT_EQ(cell.text.size() + cell.omitted, big.size() + 2);
}

TEST(Reader, AMillionNestedEntriesRead)
{
    // Deep nesting is written by quorvanel for deep test trees; the reader keeps
    // its own stack on the heap.
    const std::size_t depth = 1000000;
    std::string doc = head();
    doc.reserve(doc.size() + depth * 70);
    for (std::size_t i = 0; i < depth; ++i)
        doc += "<XROD:NODE name=\"n\" type=\"Test Suite\" state=\"ok\">";
    doc += "<XROD:NODE name=\"leaf\" type=\"Test Case\" state=\"ko\" sum=\"1\"></XROD:NODE>";
    for (std::size_t i = 0; i < depth; ++i)
        doc += "</XROD:NODE>";
    doc += tail();
    struct Deepest : xrd::ReportHandler {
        std::size_t leafDepth = 0;
        std::size_t closed = 0;
        void entryClosed(const xrd::Entry& e) override
        {
            ++closed;
            if (e.name == "leaf")
                leafDepth = e.depth;
        }
    } handler;
    const xrd::ReadResult result = xrd::detail::readReportBuffer(doc.data(), doc.size(), handler);
    ASSERT_TRUE(result.ok()) << result.reason;
    EXPECT_EQ(handler.leafDepth, depth + 1);
    EXPECT_EQ(handler.closed, depth + 2);
}

struct Refusal {
    const char* what;
    std::string document;
    long line;
    const char* reasonPart;
};

TEST(Reader, RefusesWhatIsNotAReportWithLineColumnAndReason)
{
    const std::string bomb =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE XROD [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n"
        "<XROD>&c;&c;&c;</XROD>\n";
    const std::string external =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE XROD [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>\n"
        "<XROD><APIDOC>&e;</APIDOC></XROD>\n";
    const std::string full = head() + driver("d", testCase("c", "ok", "p line 1", ResultsTable)) + tail();
    const Refusal cases[] = {
        {"empty", "", 1, "empty"},
        {"blank", "   \n", 1, "empty"},
        {"not XML", "hello, world\n", 1, "Start tag expected, '<' not found"},
        {"another document", "<?xml version=\"1.0\"?>\n<testsuites/>\n", 2,
         "root element is testsuites, not XROD"},
        {"truncated", full.substr(0, full.rfind("</SECTION>")), 0, "Premature end of data"},
        {"cut in a tag", full.substr(0, full.find("BORDER=\"1\"") + 10), 0, "attributes construct error"},
        {"entity bomb", bomb, 2, "document type declaration"},
        {"external entity", external, 2, "document type declaration"},
        {"undeclared entity", "<XROD>&e;</XROD>", 1, "Entity 'e' not defined"},
        {"two roots", "<XROD/><XROD/>", 1, "Extra content"},
        // Found by the fuzz target: a conversion error stopped the parser
        // quietly and the read looked complete.
        {"undecodable",
         "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\n<XROD>\n<APIDOC>\n<DOCUMENT TITLE=\"c.xrd\" "
         "TAG=\"Testx1\">\n"
         "<XROD:NODE name=\"Component testing C++ report\" type=\"Global Report\" state=\"ko\">"
         "</XROD:NODE></DOCUMENT></APIDOC></XROD>\n",
         5, "cannot be decoded in the declared encoding"},
    };
    for (const Refusal& c : cases) {
        Recorder r;
        const xrd::ReadResult result = read(c.document, r);
        EXPECT_EQ(result.status, xrd::ReadStatus::NotReport) << c.what;
        if (c.line > 0) {
            EXPECT_EQ(result.line, c.line) << c.what;
        }
        EXPECT_GT(result.column, 0) << c.what;
        EXPECT_NE(result.reason.find(c.reasonPart), std::string::npos) << c.what << ": " << result.reason;
        for (const xrd::Entry& e : r.closed)
            EXPECT_EQ(e.name.find("root:"), std::string::npos) << c.what << ": an external file was read";
    }
}

TEST(Reader, AFileThatCannotBeOpenedIsAReadError)
{
    Recorder r;
    const xrd::ReadResult missing = xrd::readReport("/nonexistent/report.xrd", r);
    EXPECT_EQ(missing.status, xrd::ReadStatus::CannotRead);
    EXPECT_EQ(missing.reason, "No such file or directory");
    const xrd::ReadResult folder = xrd::readReport("/", r);
    EXPECT_EQ(folder.status, xrd::ReadStatus::CannotRead);
    EXPECT_EQ(folder.reason, "Is a directory");
}

} // namespace

namespace {

TEST(Reader, MisplacedElementsArePassedOverWithoutLosingTheirSurroundings)
{
    // Found by the fuzz target: a row inside a cell used to end the row early,
    // and the cell's later text was written past the end of the next row.
    const std::string table =
        "<TABLE WIDTH=\"40,15,15,15,15\"><ROW><CELL_TEXT STYLE=\"Array "
        "Failed\">a<ROW></ROW>b<TABLE><ROW><CELL_TEXT>x"
        "</CELL_TEXT></ROW></TABLE></CELL_TEXT><CELL><TEXT>t<TEXT>u</TEXT>v</TEXT><LINK TARGET=\"f line "
        "3\"/></CELL></ROW>"
        "<ROW><CELL_TEXT>c<CELL_TEXT>d</CELL_TEXT></CELL_TEXT></ROW></TABLE><LINK TARGET=\"stray line 1\"/>"
        "<TITLE LEVEL=\"3\"><TABLE><ROW><CELL_TEXT>in title</CELL_TEXT></ROW></TABLE><TEXT>late "
        "title</TEXT></TITLE>";
    Recorder r;
    ASSERT_TRUE(read(head() + driver("d", testCase("c", "ko", "p line 1", table)) + tail(), r).ok());
    const xrd::Entry& e = r.entry("c");
    ASSERT_EQ(e.tables.size(), 1u);
    const xrd::Table& t = e.tables[0];
    ASSERT_EQ(t.rows.size(), 2u);
    ASSERT_EQ(t.rows[0].cells.size(), 2u);
    EXPECT_EQ(t.rows[0].cells[0].text, "abx");
    EXPECT_TRUE(t.rows[0].failed);
    EXPECT_EQ(t.rows[0].cells[1].text, "tuv");
    EXPECT_EQ(t.rows[0].cells[1].link->line, 3);
    ASSERT_EQ(t.rows[1].cells.size(), 1u);
    EXPECT_EQ(t.rows[1].cells[0].text, "cd");
    EXPECT_EQ(e.title, "Test Case c");
    EXPECT_EQ(e.location->path, "p");
}

} // namespace
