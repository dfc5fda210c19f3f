#include "xrdtool/junit/testcase.h"

#include "xrdtool/common/result_text.h"
#include "xrdtool/common/utf8_text.h"
#include "xrdtool/junit/xml_escape.h"

namespace xrdtool {

namespace {

/// Texts of one result's system-out beyond this are cut, with a note.
constexpr std::size_t OutputLimit = 64 * 1024;
constexpr std::size_t MessageLimit = 1024;

/// Appends `value` in decimal.
void appendNumber(std::string& out, long value)
{
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    unsigned long magnitude =
        value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        *--at = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    if (value < 0)
        *--at = '-';
    out.append(at, std::size_t(end - at));
}

/// "PATH:LINE" of the result, as the failure lines write locations.
std::string resultWhere(const xrd::Entry& entry, const PathMap& map)
{
    std::string where;
    if (entry.location)
        FailureLines::appendLocation(where, *entry.location, map, LineForm::Escaped);
    return where;
}

void appendFailure(std::string& out, const xrd::Entry& entry, const FailureLines& failure,
                   const std::string& where)
{
    // The message keeps its rule: what the first failed row names.
    std::string message = oneLine(failure.firstText());
    if (message.empty())
        message = oneLine(entry.type) + " " + oneLine(nameOrUnnamed(entry.name)) + " failed";
    out += "      <failure message=\"";
    appendXml(out, cutUtf8(message, MessageLimit), true);
    out += "\" type=\"";
    appendXml(out, entry.type, true);
    out += "\">";
    std::string body;
    if (failure.failedRows() > 0) {
        failure.write(body, where, "", "\n");
    } else {
        if (!where.empty())
            body += where + ": ";
        FailureLines::appendText(body, entry.type, LineForm::Escaped);
        body += ' ';
        FailureLines::appendText(body, nameOrUnnamed(entry.name), LineForm::Escaped);
        body += " failed\n";
    }
    appendXml(out, body, false);
    out += "</failure>\n";
}

} // namespace

void PrintedOutput::add(const xrd::Row& row, bool trace)
{
    // One line: the non-empty cells joined by blanks, trace texts indented.
    const std::size_t lineStart = text.size();
    if (trace)
        text += "  ";
    bool first = true;
    for (const xrd::Cell& cell : row.cells) {
        if (cell.text.empty())
            continue;
        if (!first)
            text += ' ';
        text += cell.text;
        first = false;
    }
    text += '\n';
    if (cut > 0) {
        cut += text.size() - lineStart;
        text.resize(lineStart);
        return;
    }
    if (text.size() > OutputLimit) {
        const std::size_t full = text.size();
        text = cutUtf8(text, OutputLimit);
        cut = full - text.size();
    }
}

void PrintedOutput::appendXml(std::string& out) const
{
    // The note starts with an ASCII character: escaping it apart gives the
    // same bytes as escaping the joined text.
    xrdtool::appendXml(out, text, false);
    if (cut > 0)
        xrdtool::appendXml(
            out, "[xrdtool: " + std::to_string(cut) + " more bytes cut; the report holds them whole]\n",
            false);
}

void TestcaseWriter::appendFile(std::string& out, const std::string& path)
{
    if (!lastKnown_ || path != lastPath_) {
        lastPath_ = path;
        lastFile_.clear();
        appendXml(lastFile_, options_.pathMap.empty() ? path : options_.pathMap.apply(path), true);
        lastKnown_ = true;
    }
    out += lastFile_;
}

void TestcaseWriter::append(std::string& out, const xrd::Entry& entry, const TestcaseParts& parts)
{
    static const char Start[] = "    <testcase name=\"";
    static const char Classname[] = "\" classname=\"";
    static const char Time[] = "\" time=\"0.000\"";
    out.append(Start, sizeof Start - 1);
    appendXml(out, parts.name, true);
    out.append(Classname, sizeof Classname - 1);
    if (parts.classname != lastClassname_) {
        lastClassname_ = parts.classname;
        lastClassnameXml_.clear();
        appendXml(lastClassnameXml_, parts.classname, true);
    }
    out += lastClassnameXml_;
    out.append(Time, sizeof Time - 1);
    if (!options_.strict && entry.location && !entry.location->path.empty()) {
        out += " file=\"";
        appendFile(out, entry.location->path);
        out += "\" line=\"";
        appendNumber(out, entry.location->line);
        out += '"';
    }
    const xrd::ResultStatus status = entry.status();
    const bool output = !options_.strict && !parts.output.text.empty();
    if (status == xrd::ResultStatus::Passed && !output) {
        out.append("/>\n", 3);
        return;
    }
    out += ">\n";
    if (status == xrd::ResultStatus::Failed) {
        appendFailure(out, entry, parts.failure, resultWhere(entry, options_.pathMap));
    } else if (status == xrd::ResultStatus::Inconclusive) {
        // Text of its own: an element with attributes alone reads as a map in GitLab.
        std::string where = resultWhere(entry, options_.pathMap);
        out += "      <skipped message=\"not executed\">";
        appendXml(out, where.empty() ? std::string("not executed") : where + ": not executed", false);
        out += "</skipped>\n";
    }
    if (output) {
        out += "      <system-out>";
        parts.output.appendXml(out);
        out += "</system-out>\n";
    }
    out += "    </testcase>\n";
}

void TestcaseWriter::appendOutputBlock(std::string& out, const TestcaseParts& parts)
{
    if (parts.output.text.empty())
        return;
    // One line whatever the names hold.
    std::string head = "=== ";
    appendEscaped(head, parts.classname);
    head += ' ';
    appendEscaped(head, parts.name);
    head += '\n';
    appendXml(out, head, false);
    parts.output.appendXml(out);
}

} // namespace xrdtool
