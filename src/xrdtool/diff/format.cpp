#include "xrdtool/diff/format.h"

#include "xrdtool/common/format_text.h"
#include "xrdtool/common/result_text.h"
#include "xrdtool/common/utf8_text.h"

#include <cstdio>

namespace xrdtool {

namespace {

/// Buffered writing to the output, a few kilobytes at a time: the lists of a
/// large diff never sit in memory as text.
class Out {
public:
    explicit Out(std::FILE* file) : file_(file) {}
    ~Out() { flush(); }
    Out& operator+=(const std::string& text)
    {
        buffer_ += text;
        if (buffer_.size() >= (1 << 16))
            flush();
        return *this;
    }
    bool flush()
    {
        if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            ok_ = false;
        buffer_.clear();
        return ok_;
    }

private:
    std::FILE* file_;
    std::string buffer_;
    bool ok_ = true;
};

struct Section {
    DiffList list;
    const char* key;   // JSON key
    const char* title; // text and markdown heading
};

constexpr Section Sections[] = {{DiffList::Added, "added", "added"},
                                {DiffList::Removed, "removed", "removed"},
                                {DiffList::NewlyFailed, "newly_failed", "newly failed"},
                                {DiffList::Fixed, "fixed", "fixed"},
                                {DiffList::NewlyNotExecuted, "newly_not_executed", "newly not executed"},
                                {DiffList::NewlyPassed, "newly_passed", "newly passed"}};

std::vector<std::string> pathNames(const Change& change, const DiffText& text)
{
    std::vector<std::string> names;
    for (std::uint32_t id : text.paths.names(change.record->path))
        names.push_back(text.names.text(id));
    return names;
}

std::string joinedPath(const Change& change, const DiffText& text)
{
    std::string joined;
    for (const std::string& name : pathNames(change, text))
        joined += (joined.empty() ? "" : " / ") + oneLine(nameOrUnnamed(name));
    return joined;
}

/// "PATH:LINE", or empty when the result has no location with a path.
std::string where(const Change& change, const DiffText& text)
{
    if (change.record->line < 0)
        return std::string();
    const std::string file = text.names.text(change.record->file);
    return file.empty() ? std::string() : oneLine(file) + ":" + std::to_string(change.record->line);
}

std::string countsJson(const Totals& totals)
{
    return "{\"passed\": " + std::to_string(totals.passed) +
        ", \"inconclusive\": " + std::to_string(totals.inconclusive) +
        ", \"failed\": " + std::to_string(totals.failed) + ", \"total\": " + std::to_string(totals.total()) +
        "}";
}

void asJson(Out& out, const DiffLists& lists, const DiffText& text)
{
    out += "{\n  \"before\": " + countsJson(lists.before) + ",\n  \"after\": " + countsJson(lists.after);
    for (const Section& section : Sections) {
        out += ",\n  \"" + std::string(section.key) + "\": [";
        bool first = true;
        lists.each(section.list, [&](const Change& change) {
            out += first ? "\n    " : ",\n    ";
            first = false;
            out += "{\"path\": [";
            bool firstName = true;
            for (const std::string& name : pathNames(change, text)) {
                out += (firstName ? "" : ", ") + jsonString(name);
                firstName = false;
            }
            out += "], \"type\": " + jsonString(text.names.text(change.record->type()));
            const std::string file =
                change.record->line < 0 ? std::string() : text.names.text(change.record->file);
            if (file.empty())
                out += ", \"file\": null, \"line\": null";
            else
                out +=
                    ", \"file\": " + jsonString(file) + ", \"line\": " + std::to_string(change.record->line);
            out += ", \"before\": \"" + std::string(presenceWord(change.before)) + "\", \"after\": \"" +
                presenceWord(change.after) + "\"}";
        });
        out += first ? "]" : "\n  ]";
    }
    out += "\n}\n";
}

void asText(Out& out, const DiffLists& lists, const DiffText& text)
{
    for (const Section& section : Sections) {
        if (lists.count(section.list) == 0)
            continue;
        out += std::string(section.title) + " (" + std::to_string(lists.count(section.list)) + "):\n";
        lists.each(section.list, [&](const Change& change) {
            const std::string at = where(change, text);
            out += "  " + (at.empty() ? std::string() : at + ": ") +
                oneLine(text.names.text(change.record->type())) + " " + joinedPath(change, text) + " (" +
                presenceWord(change.before) + " -> " + presenceWord(change.after) + ")\n";
        });
    }
    if (lists.empty())
        out += "no changes\n";
    out += "before: " + totalsLine(lists.before) + "\n";
    out += "after: " + totalsLine(lists.after) + "\n";
}

void asMarkdown(Out& out, const DiffLists& lists, const DiffText& text)
{
    out += "| | passed | inconclusive | failed | total |\n|---|---:|---:|---:|---:|\n";
    for (int k = 0; k < 2; ++k) {
        const Totals& t = k == 0 ? lists.before : lists.after;
        out += std::string(k == 0 ? "| before" : "| after") + " | " + std::to_string(t.passed) + " | " +
            std::to_string(t.inconclusive) + " | " + std::to_string(t.failed) + " | " +
            std::to_string(t.total()) + " |\n";
    }
    if (lists.empty())
        out += "\nno changes\n";
    for (const Section& section : Sections) {
        if (lists.count(section.list) == 0)
            continue;
        out += "\n### " + std::string(section.title) + " (" + std::to_string(lists.count(section.list)) +
            ")\n\n";
        out += "| result | type | location | before | after |\n|---|---|---|---|---|\n";
        lists.each(section.list, [&](const Change& change) {
            const std::string at = where(change, text);
            out += "| " + markdownText(joinedPath(change, text)) + " | " +
                markdownText(text.names.text(change.record->type())) + " | " +
                (at.empty() ? std::string() : markdownText(at)) + " | " + presenceWord(change.before) +
                " | " + presenceWord(change.after) + " |\n";
        });
    }
}

} // namespace

bool writeDiff(std::FILE* out, DiffFormat format, const DiffLists& lists, const DiffText& text)
{
    Out buffered(out);
    if (format == DiffFormat::Json)
        asJson(buffered, lists, text);
    else if (format == DiffFormat::Markdown)
        asMarkdown(buffered, lists, text);
    else
        asText(buffered, lists, text);
    return buffered.flush();
}

} // namespace xrdtool
