#include "xrdtool/summary/result_lines.h"

#include "xrdtool/common/result_text.h"
#include "xrdtool/common/utf8_text.h"

namespace xrdtool {

namespace {

/// GitHub's workflow command escaping; properties also escape ":" and ",".
std::string githubEscape(const std::string& text, bool property)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '%': out += "%25"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        case ':': out += property ? "%3A" : ":"; break;
        case ',': out += property ? "%2C" : ","; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

LineForm lineFormOf(SummaryFormat format)
{
    return format == SummaryFormat::Text ? LineForm::Escaped : LineForm::Raw;
}

std::string ResultLines::where(const xrd::Entry& entry) const
{
    std::string text;
    if (entry.location)
        FailureLines::appendLocation(text, *entry.location, map_, lineFormOf(format_));
    return text;
}

std::string ResultLines::head(const xrd::Entry& entry, bool failed) const
{
    const std::string location = where(entry);
    if (format_ == SummaryFormat::Text) {
        // One line whatever the names and paths hold.
        std::string text;
        if (location.empty()) {
            appendEscaped(text, report_);
            text += ":0";
        } else {
            text += location;
        }
        text += failed ? ": failed: " : ": not executed: ";
        appendEscaped(text, entry.type);
        text += ' ';
        appendEscaped(text, nameOrUnnamed(entry.name));
        return text + "\n";
    }
    std::string text = failed ? "::error " : "::notice ";
    if (!location.empty()) {
        const std::size_t colon = location.rfind(':');
        text += "file=" + githubEscape(location.substr(0, colon), true) +
            ",line=" + location.substr(colon + 1) + ",";
    }
    return text + "title=" + githubEscape(entry.type + " " + nameOrUnnamed(entry.name), true) + "::";
}

std::string ResultLines::failed(const xrd::Entry& entry, const FailureLines& failure) const
{
    std::string text = head(entry, true);
    if (format_ == SummaryFormat::Text) {
        failure.write(text, where(entry), "  ", "\n");
        return text;
    }
    std::string message;
    failure.write(message, where(entry), "", "\n");
    if (message.empty())
        message = oneLine(entry.type + " " + nameOrUnnamed(entry.name)) + " failed";
    else
        message.pop_back(); // the last line's end
    return text + githubEscape(message, false) + "\n";
}

std::string ResultLines::withNote(std::string lines, const std::string& note) const
{
    std::string escaped;
    if (format_ == SummaryFormat::Text)
        appendEscaped(escaped, note);
    else
        escaped = githubEscape(note, false);
    lines.insert(lines.find('\n'), escaped);
    return lines;
}

std::string ResultLines::notExecuted(const xrd::Entry& entry) const
{
    std::string text = head(entry, false);
    if (format_ == SummaryFormat::Text)
        return text;
    return text +
        githubEscape(oneLine(entry.type + " " + nameOrUnnamed(entry.name)) + " not executed", false) + "\n";
}

} // namespace xrdtool
