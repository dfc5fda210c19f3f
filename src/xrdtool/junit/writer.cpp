#include "xrdtool/junit/writer.h"

#include "xrdtool/common/result_text.h"
#include "xrdtool/common/utf8_text.h"
#include "xrdtool/junit/xml_escape.h"

#include <cstring>
#include <sstream>

namespace xrdtool {

namespace {

/// Texts of one result's system-out beyond this are cut, with a note.
constexpr std::size_t OutputLimit = 64 * 1024;
constexpr std::size_t MessageLimit = 1024;

std::string xml(const std::string& text, bool attribute = true)
{
    std::string out;
    appendXml(out, text, attribute);
    return out;
}

/// Appends a name to a classname; dots inside a name would read as package
/// separators.
void appendClassPart(std::string& classname, const std::string& name)
{
    const std::size_t from = classname.size();
    classname += name.empty() ? nameOrUnnamed(name) : name;
    for (std::size_t i = from; i < classname.size(); ++i) {
        if (classname[i] == '.')
            classname[i] = '_';
    }
}

std::uint64_t hashKey(const std::string& classname, const std::string& name)
{
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const std::string& text) {
        for (unsigned char c : text) {
            hash ^= c;
            hash *= 1099511628211ull;
        }
    };
    mix(classname);
    hash ^= 0xFF; // a byte no UTF-8 text holds separates the two
    hash *= 1099511628211ull;
    mix(name);
    return hash;
}

} // namespace

std::string detail::isoTimestamp(const std::string& asctime)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::istringstream in(asctime);
    std::string day, month, time, extra;
    int date = 0, year = 0;
    if (!(in >> day >> month >> date >> time >> year) || (in >> extra))
        return std::string();
    int m = 0;
    while (m < 12 && month != months[m])
        ++m;
    int hh = 0, mm = 0, ss = 0;
    char c1 = 0, c2 = 0;
    std::istringstream clock(time);
    if (m == 12 || date < 1 || date > 31 || year < 0 || year > 9999 || time.size() != 8 ||
        !(clock >> hh >> c1 >> mm >> c2 >> ss) || c1 != ':' || c2 != ':')
        return std::string();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", year, m + 1, date, hh, mm, ss);
    return buffer;
}

JunitWriter::JunitWriter(const JunitOptions& options, bool splitParts, Sink sink)
    : options_(options), splitParts_(splitParts), sink_(std::move(sink))
{
    ok_ = spool_.valid();
}

void JunitWriter::infoTable(const xrd::Table& table)
{
    for (const xrd::Row& row : table.rows) {
        if (row.cells.size() != 2)
            continue;
        if (row.cells[0].text == "Report Generation Time") {
            const std::string iso = detail::isoTimestamp(row.cells[1].text);
            if (!iso.empty())
                timestamp_ = iso;
        }
        properties_.emplace_back(row.cells[0].text, row.cells[1].text);
    }
}

void JunitWriter::entryOpened(const xrd::Entry& entry)
{
    if (entry.depth == 1) {
        inSuite_ = true;
        suiteName_ = nameOrUnnamed(entry.name);
        classname_.clear();
        appendClassPart(classname_, entry.name);
        classnameLengths_.clear();
        parts_.assign(1, Part());
        seen_.clear();
        spool_.clear();
    } else if (entry.depth >= 2 && inSuite_) {
        classnameLengths_.push_back(classname_.size());
        classname_ += '.';
        appendClassPart(classname_, entry.name);
    }
    if (inSuite_) {
        order_.opened(entry);
        if (gatheredUsed_ == gathered_.size())
            gathered_.emplace_back();
        Gathered& g = gathered_[gatheredUsed_++];
        g.anyFailedRow = false;
        g.message.clear();
        g.failures.clear();
        g.output.clear();
        g.outputCut = 0;
    }
}

void JunitWriter::entryContent(const xrd::Entry& entry, const xrd::Table& table)
{
    if (!entry.counted || gatheredUsed_ == 0)
        return;
    Gathered& g = gathered_[gatheredUsed_ - 1];
    const xrd::TableKind kind = xrd::tableKind(table);
    const bool output = kind == xrd::TableKind::CommentBlock || kind == xrd::TableKind::TraceTexts;
    for (const xrd::Row& row : table.rows) {
        if (row.failed) {
            if (!g.anyFailedRow) {
                g.anyFailedRow = true;
                // The first cell names what failed; a contract's later rows leave it blank.
                for (const xrd::Cell& cell : row.cells) {
                    g.message = oneLine(cell.text);
                    if (!g.message.empty())
                        break;
                }
            }
            g.failures += rowText(row, options_.pathMap) + "\n";
        }
        if (!output)
            continue;
        // One line: the non-empty cells joined by blanks, trace texts indented.
        const std::size_t lineStart = g.output.size();
        if (kind == xrd::TableKind::TraceTexts)
            g.output += "  ";
        bool first = true;
        for (const xrd::Cell& cell : row.cells) {
            if (cell.text.empty())
                continue;
            if (!first)
                g.output += ' ';
            g.output += cell.text;
            first = false;
        }
        g.output += '\n';
        if (g.outputCut > 0) {
            g.outputCut += g.output.size() - lineStart;
            g.output.resize(lineStart);
            continue;
        }
        if (g.output.size() > OutputLimit) {
            const std::size_t full = g.output.size();
            g.output = cutUtf8(g.output, OutputLimit);
            g.outputCut = full - g.output.size();
        }
    }
}

void JunitWriter::entryClosed(const xrd::Entry& entry)
{
    if (!inSuite_ || entry.depth == 0)
        return;
    static const Gathered nothing;
    const Gathered& gathered = gatheredUsed_ == 0 ? nothing : gathered_[--gatheredUsed_];
    if (entry.depth >= 2 && !classnameLengths_.empty()) {
        classname_.resize(classnameLengths_.back());
        classnameLengths_.pop_back();
    }
    const bool isTestcase = entry.counted && entry.depth >= 2;
    if (isTestcase) {
        std::string name = nameOrUnnamed(entry.name);
        const std::uint32_t repeat = ++seen_[hashKey(classname_, name)];
        if (repeat > 1)
            name += " (" + std::to_string(repeat) + ")";
        testcaseXml(testcase_, entry, gathered, classname_, name);
    }
    if (order_.closedAlone(entry)) {
        // Most results: written straight from the reused buffer.
        if (isTestcase)
            add(testcase_, entry.status());
    } else {
        std::vector<Testcase> mine;
        if (isTestcase)
            mine.push_back(Testcase{testcase_, entry.status()});
        for (const Testcase& testcase : order_.closed(entry, std::move(mine)))
            add(testcase.xml, testcase.status);
    }
    if (entry.depth == 1) {
        const bool isSuite = entry.section == xrd::SectionKind::Driver ||
            entry.section == xrd::SectionKind::Contracts || parts_.back().counts.total() > 0 ||
            parts_.size() > 1;
        if (isSuite)
            finishSuite();
        inSuite_ = false;
    }
}

void JunitWriter::testcaseXml(std::string& out, const xrd::Entry& entry, const Gathered& gathered,
                              const std::string& classname, const std::string& name) const
{
    out.assign("    <testcase name=\"");
    appendXml(out, name, true);
    out += "\" classname=\"";
    appendXml(out, classname, true);
    out += "\" time=\"0.000\"";
    if (!options_.strict && entry.location && !entry.location->path.empty()) {
        out += " file=\"";
        appendXml(out,
                  options_.pathMap.empty() ? entry.location->path
                                           : options_.pathMap.apply(entry.location->path),
                  true);
        out += "\" line=\"";
        out += std::to_string(entry.location->line);
        out += '"';
    }
    const xrd::ResultStatus status = entry.status();
    if (status == xrd::ResultStatus::Passed && gathered.output.empty()) {
        out += "/>\n";
        return;
    }
    out += ">\n";
    if (status == xrd::ResultStatus::Failed) {
        std::string message = gathered.message;
        if (message.empty())
            message = oneLine(entry.type) + " " + oneLine(nameOrUnnamed(entry.name)) + " failed";
        out += "      <failure message=\"";
        appendXml(out, cutUtf8(message, MessageLimit), true);
        out += "\" type=\"";
        appendXml(out, entry.type, true);
        out += "\">";
        appendXml(out, gathered.failures, false);
        out += "</failure>\n";
    } else if (status == xrd::ResultStatus::Inconclusive) {
        out += "      <skipped message=\"not executed\"/>\n";
    }
    if (!gathered.output.empty()) {
        // The note starts with an ASCII character: escaping it apart gives the
        // same bytes as escaping the joined text.
        out += "      <system-out>";
        appendXml(out, gathered.output, false);
        if (gathered.outputCut > 0)
            appendXml(out,
                      "[xrdtool: " + std::to_string(gathered.outputCut) +
                          " more bytes cut; the report holds them whole]\n",
                      false);
        out += "</system-out>\n";
    }
    out += "    </testcase>\n";
}

void JunitWriter::add(const std::string& xml, xrd::ResultStatus status)
{
    Part* part = &parts_.back();
    const long size = long(xml.size());
    if (splitParts_ && part->counts.total() > 0 && part->end - part->begin + size > options_.partLimit) {
        Part next;
        next.begin = next.end = part->end;
        parts_.push_back(next);
        part = &parts_.back();
    }
    spool_.write(xml);
    part->end += size;
    part->counts.add(status);
}

void JunitWriter::finishSuite()
{
    std::vector<Part> parts = parts_;
    if (!splitParts_ && parts.size() > 1) {
        Part all;
        all.begin = parts.front().begin;
        all.end = parts.back().end;
        for (const Part& p : parts) {
            all.counts.passed += p.counts.passed;
            all.counts.inconclusive += p.counts.inconclusive;
            all.counts.failed += p.counts.failed;
        }
        parts.assign(1, all);
    }
    std::string properties;
    for (const auto& property : properties_)
        properties +=
            "      <property name=\"" + xml(property.first) + "\" value=\"" + xml(property.second) + "\"/>\n";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& part = parts[i];
        SuitePart out;
        out.suiteName = suiteName_;
        out.part = int(i + 1);
        const std::string name = xml(suiteName_);
        out.head = "  <testsuite name=\"" + name + "\" tests=\"" + std::to_string(part.counts.total()) +
            "\" failures=\"" + std::to_string(part.counts.failed) + "\" errors=\"0\" skipped=\"" +
            std::to_string(part.counts.inconclusive) + "\" time=\"0.000\" timestamp=\"" + timestamp_ +
            "\" hostname=\"localhost\" id=\"" + std::to_string(suiteId_) + "\" package=\"" + name + "\">\n";
        if (options_.strict || !properties.empty())
            out.head += properties.empty() ? "    <properties/>\n"
                                           : "    <properties>\n" + properties + "    </properties>\n";
        out.tail =
            options_.strict ? "    <system-out/>\n    <system-err/>\n  </testsuite>\n" : "  </testsuite>\n";
        out.spool = &spool_;
        out.begin = part.begin;
        out.end = part.end;
        if (ok_ && !sink_(out))
            ok_ = false;
    }
    ++suiteId_;
}

} // namespace xrdtool
