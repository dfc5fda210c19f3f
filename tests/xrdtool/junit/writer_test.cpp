// The JUnit writer on small reports: names, repeats, order, parts and limits.

#include "xrdtool/junit/writer.h"

#include "xrdtool/junit/report_time.h"

#include "xrd/read_buffer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <string>
#include <vector>

namespace {

struct Written {
    std::vector<xrdtool::SuitePart> parts;
    std::vector<std::string> bodies;
};

std::string node(const std::string& name, const std::string& type, const std::string& state, bool counted,
                 const std::string& inner, const std::string& link = "s.kts line 5")
{
    return "<XROD:NODE name=\"" + name + "\" type=\"" + type + "\" state=\"" + state + "\"" +
        (counted ? " sum=\"1\"" : "") +
        "><TITLE LEVEL=\"1\" TAG=\"nodex9\" STYLE=\"Title2\">\n<LINK TARGET=\"" + link + "\">\n<TEXT>" +
        type + " " + name + "</TEXT>\n</LINK>\n</TITLE>\n" + inner + "</XROD:NODE>\n";
}

std::string report(const std::string& drivers, const std::string& info = "")
{
    return "<XROD><APIDOC><DOCUMENT TITLE=\"r\"><XROD:NODE name=\"Global Report\" type=\"Global Report\" "
           "state=\"ok\">"
           "<SECTION TAG=\"filex2\"><TABLE BORDER=\"1\"></TABLE><TABLE BORDER=\"1\">" +
        info + "</TABLE></SECTION>" + drivers + "</XROD:NODE></DOCUMENT></APIDOC></XROD>";
}

std::string driver(const std::string& name, const std::string& inner)
{
    return "<XROD:NODE name=\"" + name + "\" type=\"Test Driver\" state=\"ok\"><SECTION TAG=\"rootx3\">" +
        inner + "</SECTION></XROD:NODE>";
}

Written run(const std::string& document, xrdtool::JunitOptions options = {}, bool split = false)
{
    Written written;
    xrdtool::JunitWriter* self = nullptr;
    xrdtool::JunitWriter writer(options, split, [&](const xrdtool::SuitePart& part) {
        std::string body;
        std::FILE* memory = std::tmpfile();
        EXPECT_TRUE(part.writeTo(memory));
        std::rewind(memory);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, memory)) > 0;)
            body.append(buffer, n);
        std::fclose(memory);
        EXPECT_EQ(long(body.size()), part.size());
        written.parts.push_back(part);
        written.bodies.push_back(body);
        return true;
    });
    self = &writer;
    const xrd::ReadResult result = xrd::detail::readReportBuffer(document.data(), document.size(), *self);
    EXPECT_TRUE(result.ok()) << result.reason;
    EXPECT_TRUE(writer.ok());
    return written;
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST(Junit, ClassnamesJoinEnclosingNamesAndRepeatsAreNumbered)
{
    const std::string suite =
        node("S.1", "Test Suite", "ok", false,
             node("t", "Test Case", "ok", true, "") + node("t", "Test Case", "ko", true, "") +
                 node("t", "Proc", "NE", true, ""));
    const Written w = run(report(driver("drv.x", suite + node("t", "Test Case", "ok", true, ""))));
    ASSERT_EQ(w.bodies.size(), 1u);
    const std::string& b = w.bodies[0];
    EXPECT_NE(b.find("<testsuite name=\"drv.x\" tests=\"4\" failures=\"1\" errors=\"0\" skipped=\"1\""),
              std::string::npos)
        << b;
    // No package (Jenkins would prefix the suite's name with it), no made-up host.
    EXPECT_EQ(b.find("package="), std::string::npos);
    EXPECT_EQ(b.find("hostname="), std::string::npos);
    // Dots inside a name are not package separators; the repeats count by
    // classname and name, whatever the type.
    EXPECT_NE(b.find("name=\"t\" classname=\"drv_x.S_1\""), std::string::npos) << b;
    EXPECT_NE(b.find("name=\"t (2)\" classname=\"drv_x.S_1\""), std::string::npos);
    EXPECT_NE(b.find("name=\"t (3)\" classname=\"drv_x.S_1\""), std::string::npos);
    EXPECT_NE(b.find("name=\"t\" classname=\"drv_x\""), std::string::npos);
    EXPECT_EQ(count(b, "<testcase"), 4u);
    EXPECT_EQ(count(b, "<failure"), 1u);
    EXPECT_EQ(count(b, "<skipped"), 1u);
}

TEST(Junit, ANestedResultFollowsItsEnclosingResultAndNamesItInItsClassname)
{
    const std::string outer = node("outer", "Test Case", "ok", true, node("inner", "Stub", "NE", true, ""));
    const Written w = run(report(driver("d", outer + node("after", "Test Case", "ok", true, ""))));
    const std::string& b = w.bodies.at(0);
    const std::size_t o = b.find("name=\"outer\" classname=\"d\"");
    const std::size_t i = b.find("name=\"inner\" classname=\"d.outer\"");
    const std::size_t a = b.find("name=\"after\"");
    ASSERT_NE(o, std::string::npos);
    ASSERT_NE(i, std::string::npos);
    EXPECT_LT(o, i);
    EXPECT_LT(i, a);
    EXPECT_EQ(count(b, "<skipped"), 0u) << "a stub never called is passed";
}

TEST(Junit, FailureMessageTypeBodyAndSystemOut)
{
    const std::string rows =
        "<TABLE WIDTH=\"40,15,15,15,15\"><ROW><CELL_TEXT STYLE=\"Array Title\">Expression</CELL_TEXT></ROW>"
        "<ROW><CELL STYLE=\"Array Failed\"><LINK TARGET=\"/abs/t.kts line 7\"><TEXT>x &lt; "
        "1&#10;y</TEXT></LINK></CELL>"
        "<CELL_TEXT STYLE=\"Array Failed\">Failed</CELL_TEXT></ROW>"
        "<ROW><CELL_TEXT STYLE=\"Array Failed\"></CELL_TEXT><CELL_TEXT STYLE=\"Array "
        "Failed\">second</CELL_TEXT></ROW></TABLE>"
        "<TABLE "
        "WIDTH=\"55,45\"><ROW><CELL><TEXT>Print\"x\"</TEXT></CELL><CELL><TEXT>(x1)</TEXT></CELL></ROW></"
        "TABLE>"
        "<TABLE WIDTH=\"5,95\"><ROW><CELL></CELL><CELL><TEXT>trace text</TEXT></CELL></ROW></TABLE>";
    xrdtool::JunitOptions options;
    options.pathMap.add("/abs/=src/");
    const Written w = run(report(driver("d",
                                        node("c", "Test Case", "ko", true, rows, "/abs/t.kts line 3") +
                                            node("bare", "Proc", "ko", true, ""))),
                          options);
    const std::string& b = w.bodies.at(0);
    EXPECT_NE(b.find("file=\"src/t.kts\" line=\"3\""), std::string::npos) << b;
    // The second failed row takes the link of the row above whose first cell
    // is not empty; a control character stays visible in the body.
    EXPECT_NE(b.find("<failure message=\"x &lt; 1 y\" type=\"Test Case\">src/t.kts:7: x &lt; 1\\x0Ay "
                     "(Failed)\nsrc/t.kts:7: second\n</failure>"),
              std::string::npos)
        << b;
    EXPECT_NE(b.find("<system-out>Print\"x\" (x1)\n  trace text\n</system-out>"), std::string::npos) << b;
    EXPECT_NE(
        b.find("<failure message=\"Proc bare failed\" type=\"Proc\">s.kts:5: Proc bare failed\n</failure>"),
        std::string::npos)
        << b;
}

TEST(Junit, LongMessagesAndOutputsAreCut)
{
    const std::string longCell(3000, 'm');
    const std::string longText(70 * 1024, 'o');
    const std::string rows = "<TABLE WIDTH=\"40,15,15,15,15\"><ROW><CELL_TEXT STYLE=\"Array Failed\">" +
        longCell + "</CELL_TEXT></ROW></TABLE><TABLE WIDTH=\"5,95\"><ROW><CELL><TEXT>" + longText +
        "</TEXT></CELL></ROW></TABLE>";
    const Written w = run(report(driver("d", node("c", "Test Case", "ko", true, rows))));
    const std::string& b = w.bodies.at(0);
    EXPECT_NE(b.find("message=\"" + std::string(1024, 'm') + "\""), std::string::npos);
    EXPECT_EQ(b.find(std::string(1025, 'm') + "\""), std::string::npos);
    const std::size_t kept = 64 * 1024 - 2; // "  " before the trace text
    EXPECT_NE(b.find(std::string(kept, 'o') + "[xrdtool: " + std::to_string(longText.size() + 3 - 64 * 1024) +
                     " more bytes cut; the report holds them whole]\n</system-out>"),
              std::string::npos);
}

TEST(Junit, StrictLayoutAndTimestamp)
{
    const std::string info = "<ROW><CELL_TEXT>Report Generation Time</CELL_TEXT><CELL_TEXT>Tue Mar 4 "
                             "07:08:09 2025</CELL_TEXT></ROW>";
    xrdtool::JunitOptions options;
    options.strict = true;
    const Written w = run(report(driver("", node("c", "Test Case", "ok", true, "")) +
                                     "<XROD:NODE name=\"Contracts\" type=\"Contracts\" state=\"ok\"><SECTION "
                                     "TAG=\"classx9\"></SECTION></XROD:NODE>",
                                 info),
                          options);
    ASSERT_EQ(w.bodies.size(), 2u) << "the contracts section is a suite even when empty";
    const std::string& b = w.bodies[0];
    EXPECT_EQ(b.find("file="), std::string::npos);
    EXPECT_NE(b.find("<testsuite name=\"(unnamed)\" tests=\"1\" failures=\"0\" errors=\"0\" skipped=\"0\" "
                     "time=\"0.000\" "
                     "timestamp=\"2025-03-04T07:08:09\" hostname=\"localhost\" id=\"0\" "
                     "package=\"\">\n    <properties>"),
              std::string::npos)
        << b;
    EXPECT_LT(b.find("<properties>"), b.find("<testcase"));
    EXPECT_LT(b.find("<testcase"), b.find("<system-out/>"));
    EXPECT_LT(b.find("<system-out/>"), b.find("<system-err/>"));
    EXPECT_NE(w.bodies[1].find("name=\"Contracts\" tests=\"0\""), std::string::npos);
    EXPECT_NE(w.bodies[1].find("id=\"1\""), std::string::npos);
}

TEST(Junit, Timestamps)
{
    EXPECT_EQ(xrdtool::isoTimestamp("Wed Mar 19 14:22:05 2025"), "2025-03-19T14:22:05");
    EXPECT_EQ(xrdtool::isoTimestamp("Mon Dec  7 09:05:03 2026"), "2026-12-07T09:05:03");
    EXPECT_EQ(xrdtool::isoTimestamp("Thu Feb 29 00:00:00 2024"), "2024-02-29T00:00:00");
    for (const char* refused :
         {"Mon Foo 7 09:05:03 2026", "Mon Dec 7 9:05:03 2026", "Mon Dec 7 09:05:03 2026 extra", "",
          "Fri Feb 29 00:00:00 2025", "Mon Apr 31 10:00:00 2025", "Mon Dec 7 24:00:00 2026",
          "Mon Dec 7 09:05:03 0"})
        EXPECT_EQ(xrdtool::isoTimestamp(refused), "") << refused;
}

TEST(Junit, ASplitSuiteContinuesInPartsThatEachAddUp)
{
    std::string cases;
    for (int i = 0; i < 50; ++i)
        cases += node("c" + std::to_string(i), "Test Case",
                      i % 5 == 0       ? "ko"
                          : i % 7 == 0 ? "NE"
                                       : "ok",
                      true, "");
    xrdtool::JunitOptions options;
    options.partLimit = 2000;
    const Written split = run(report(driver("d", cases)), options, true);
    ASSERT_GT(split.parts.size(), 2u);
    long tests = 0, failures = 0, skipped = 0;
    for (std::size_t i = 0; i < split.parts.size(); ++i) {
        const std::string& b = split.bodies[i];
        EXPECT_EQ(split.parts[i].part, int(i + 1));
        EXPECT_LE(split.parts[i].end - split.parts[i].begin, 2000);
        const long t = long(count(b, "<testcase")), f = long(count(b, "<failure")),
                   s = long(count(b, "<skipped"));
        EXPECT_NE(b.find("tests=\"" + std::to_string(t) + "\" failures=\"" + std::to_string(f) +
                         "\" errors=\"0\" skipped=\"" + std::to_string(s) + "\""),
                  std::string::npos)
            << b;
        tests += t, failures += f, skipped += s;
    }
    EXPECT_EQ(tests, 50);
    EXPECT_EQ(failures, 10);
    EXPECT_EQ(skipped, 6);
    // Without a split the same limit makes one suite.
    const Written whole = run(report(driver("d", cases)), options, false);
    ASSERT_EQ(whole.bodies.size(), 1u);
    EXPECT_NE(whole.bodies[0].find("tests=\"50\" failures=\"10\" errors=\"0\" skipped=\"6\""),
              std::string::npos);
}

/// The attributes of the first <testsuite> start tag written.
std::string suiteTag(const Written& w)
{
    const std::string& b = w.bodies.at(0);
    return b.substr(b.find("<testsuite "), b.find('>', b.find("<testsuite ")) - b.find("<testsuite ") + 1);
}

TEST(Junit, SuiteAttributesNeverInventAHostOrATime)
{
    const std::string german =
        "<ROW><CELL_TEXT>Erstellungszeit des Berichts</CELL_TEXT><CELL_TEXT>Mon Dec  1 "
        "06:05:04 2025</CELL_TEXT></ROW>";
    // What follows time="0.000" in each profile.
    struct Case {
        bool strict;
        std::string info, fileTime, hostname, prefix, rest;
    };
    const Case cases[] = {
        {false, "", "", "", "", " id=\"0\">"},
        {false, german, "2020-01-02T03:04:05", "", "", " timestamp=\"2025-12-01T06:05:04\" id=\"0\">"},
        {false, "", "2020-01-02T03:04:05", "ci&7", "nightly.",
         " timestamp=\"2020-01-02T03:04:05\" hostname=\"ci&amp;7\" id=\"0\">"},
        {true, "", "", "", "",
         " timestamp=\"1970-01-01T00:00:00\" hostname=\"localhost\" id=\"0\" package=\"\">"},
        {true, german, "", "ci-7", "",
         " timestamp=\"2025-12-01T06:05:04\" hostname=\"ci-7\" id=\"0\" package=\"\">"},
    };
    for (const Case& c : cases) {
        xrdtool::JunitOptions options;
        options.strict = c.strict;
        options.fileTime = c.fileTime;
        options.hostname = c.hostname;
        options.suitePrefix = c.prefix;
        const Written w = run(report(driver("d", node("c", "Test Case", "ok", true, "")), c.info), options);
        EXPECT_EQ(suiteTag(w),
                  "<testsuite name=\"" + c.prefix +
                      "d\" tests=\"1\" failures=\"0\" errors=\"0\" skipped=\"0\" time=\"0.000\"" + c.rest);
        EXPECT_NE(w.bodies.at(0).find("classname=\"" + c.prefix + "d\""), std::string::npos);
    }
}

TEST(Junit, TheGenerationTimeIsReadInEveryLanguageTheCataloguesHold)
{
    // Each translation of the label in every catalogue source, i18n/*.ts.
    int labels = 0;
    for (const auto& file :
         std::filesystem::directory_iterator(std::string(XRDTOOL_TEST_SOURCE_DIR) + "/i18n")) {
        if (file.path().extension() != ".ts")
            continue;
        std::ifstream in(file.path());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t at = text.find("<source>Report Generation Time</source>");
        if (at == std::string::npos)
            continue;
        const std::size_t from = text.find("<translation>", at) + 13;
        const std::string translation = text.substr(from, text.find("</translation>", from) - from);
        EXPECT_TRUE(xrdtool::isReportTimeLabel(translation)) << file.path() << ": " << translation;
        ++labels;
    }
    EXPECT_TRUE(xrdtool::isReportTimeLabel("Report Generation Time"));
    EXPECT_FALSE(xrdtool::isReportTimeLabel("Test compilation time"));
    EXPECT_GE(labels, 1) << "no catalogue translates the label";
}

TEST(Junit, ContractResultsAreNamedByTheirClassAndStrictOutputsGoToTheSuite)
{
    const std::string block =
        "<TABLE WIDTH=\"55,45\"><ROW><CELL><TEXT>Print a&lt;b</TEXT></CELL></ROW></TABLE>";
    const std::string contracts =
        "<XROD:NODE name=\"Contracts\" type=\"Contracts\" state=\"ko\"><SECTION TAG=\"classx9\">" +
        node("K", "Class", "ko", false,
             node("Invariant", "Invariant", "ok", true, block) +
                 node("Invariant", "Invariant", "ko", true, block) + node("State", "State", "NE", true, "")) +
        "</SECTION></XROD:NODE>";
    for (const bool strict : {false, true}) {
        xrdtool::JunitOptions options;
        options.strict = strict;
        const Written w = run(report(contracts), options);
        const std::string& b = w.bodies.at(0);
        EXPECT_NE(b.find("name=\"K: Invariant\" classname=\"Contracts.K\""), std::string::npos) << b;
        EXPECT_NE(b.find("name=\"K: Invariant (2)\" classname=\"Contracts.K\""), std::string::npos) << b;
        EXPECT_NE(b.find("<skipped message=\"not executed\">s.kts:5: not executed</skipped>"),
                  std::string::npos);
        EXPECT_NE(
            b.find("<failure message=\"Invariant Invariant failed\" type=\"Invariant\">s.kts:5: Invariant "
                   "Invariant failed\n</failure>"),
            std::string::npos)
            << b;
        if (!strict) {
            EXPECT_EQ(count(b, "<system-out>Print a&lt;b\n</system-out>"), 2u) << b;
            continue;
        }
        // One system-out, after the testcases, each output under its testcase's name.
        EXPECT_EQ(count(b, "<system-out>"), 1u) << b;
        EXPECT_LT(b.rfind("</testcase>"), b.find("<system-out>"));
        EXPECT_NE(
            b.find("<system-out>=== Contracts.K K: Invariant\nPrint a&lt;b\n=== Contracts.K K: Invariant "
                   "(2)\nPrint a&lt;b\n</system-out>\n    <system-err/>\n  </testsuite>"),
            std::string::npos)
            << b;
    }
}

TEST(Junit, StrictPartsCountTheirOutputs)
{
    const std::string block =
        "<TABLE WIDTH=\"5,95\"><ROW><CELL><TEXT>" + std::string(900, 'o') + "</TEXT></CELL></ROW></TABLE>";
    std::string cases;
    for (int i = 0; i < 20; ++i)
        cases += node("c" + std::to_string(i), "Test Case", "ok", true, block);
    xrdtool::JunitOptions options;
    options.strict = true;
    options.partLimit = 4000;
    const Written split = run(report(driver("d", cases)), options, true);
    ASSERT_GT(split.parts.size(), 4u);
    for (const xrdtool::SuitePart& part : split.parts)
        EXPECT_LE(part.end - part.begin + part.outputEnd - part.outputBegin, 4000);
}

} // namespace
