#include "xrdtool/history/history_format.h"

#include "xrdtool/common/format_text.h"
#include "xrdtool/common/result_text.h"
#include "xrdtool/common/utf8_text.h"
#include "xrdtool/history/run_time.h"

#include <cstdio>

namespace xrdtool::history {

namespace {

std::string number(std::int64_t value)
{
    return std::to_string(value);
}

/// "A / B / C", with " (K)" for a repeat: as the text outputs show a result.
std::string joinedName(const ResultName& name)
{
    std::string joined;
    for (const std::string& part : name.path)
        joined += (joined.empty() ? "" : " / ") + oneLine(nameOrUnnamed(part));
    if (name.repeat > 1)
        joined += " (" + number(name.repeat) + ")";
    return joined;
}

std::string where(const FlakyResult& result)
{
    if (!result.file || result.file->empty() || !result.line)
        return std::string();
    return oneLine(*result.file) + ":" + number(*result.line);
}

} // namespace

const char* storedStatusWord(StoredStatus status)
{
    switch (status) {
    case StoredStatus::Passed: return "passed";
    case StoredStatus::Inconclusive: return "inconclusive";
    case StoredStatus::Failed: return "failed";
    case StoredStatus::Absent: break;
    }
    return "absent";
}

std::string formatRuns(HistoryFormat format, const std::string& series, const std::vector<TrendRow>& rows)
{
    std::string out;
    if (format == HistoryFormat::Json) {
        out = "{\n  \"series\": " + jsonString(series) + ",\n  \"runs\": [";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const StoredRun& run = rows[i].run;
            out += i == 0 ? "\n    " : ",\n    ";
            out += "{\"run\": " + jsonString(run.run) + ", \"at\": \"" + formatUtc(run.at) +
                "\", \"revision\": " + (run.revision ? jsonString(*run.revision) : "null") +
                ", \"passed\": " + number(run.passed) + ", \"inconclusive\": " + number(run.inconclusive) +
                ", \"failed\": " + number(run.failed) +
                ", \"total\": " + number(run.passed + run.inconclusive + run.failed) +
                ", \"newly_failed\": " + number(rows[i].newlyFailed) +
                ", \"fixed\": " + number(rows[i].fixed) + "}";
        }
        return out + (rows.empty() ? "]\n}\n" : "\n  ]\n}\n");
    }
    if (format == HistoryFormat::Markdown) {
        out = "| run | at | revision | passed | inconclusive | failed | total | newly failed | fixed |\n"
              "|---|---|---|---:|---:|---:|---:|---:|---:|\n";
        for (const TrendRow& row : rows) {
            const StoredRun& run = row.run;
            out += "| " + markdownText(run.run) + " | " + formatUtc(run.at) + " | " +
                (run.revision ? markdownText(*run.revision) : std::string()) + " | " + number(run.passed) +
                " | " + number(run.inconclusive) + " | " + number(run.failed) + " | " +
                number(run.passed + run.inconclusive + run.failed) + " | " + number(row.newlyFailed) + " | " +
                number(row.fixed) + " |\n";
        }
        return out;
    }
    if (rows.empty())
        return "no runs in series " + oneLine(series) + "\n";
    for (const TrendRow& row : rows) {
        const StoredRun& run = row.run;
        out += oneLine(run.run) + "  " + formatUtc(run.at) +
            (run.revision ? "  revision " + oneLine(*run.revision) : std::string()) + "  " +
            number(run.passed) + " passed, " + number(run.inconclusive) + " inconclusive, " +
            number(run.failed) + " failed, " + number(run.passed + run.inconclusive + run.failed) +
            " total; " + number(row.newlyFailed) + " newly failed, " + number(row.fixed) + " fixed\n";
    }
    return out;
}

std::string formatFlaky(HistoryFormat format, const std::string& series, const FlakyList& list)
{
    std::string out;
    if (format == HistoryFormat::Json) {
        out = "{\n  \"series\": " + jsonString(series) + ",\n  \"window\": " + number(list.window) +
            ",\n  \"results\": [";
        bool first = true;
        for (const FlakyResult& result : list.results) {
            out += first ? "\n    " : ",\n    ";
            first = false;
            out += "{\"path\": [";
            for (std::size_t i = 0; i < result.name.path.size(); ++i)
                out += (i ? ", " : "") + jsonString(result.name.path[i]);
            out += "], \"type\": " + jsonString(result.name.type);
            if (result.file && result.line)
                out += ", \"file\": " + jsonString(*result.file) + ", \"line\": " + number(*result.line);
            else
                out += ", \"file\": null, \"line\": null";
            out += ", \"flips\": " + number(result.flips) + ", \"passed\": " + number(result.passed) +
                ", \"failed\": " + number(result.failed) + ", \"last\": \"" + storedStatusWord(result.last) +
                "\", \"same_revision\": " + (result.sameRevision ? "true" : "false") + "}";
        }
        return out + (first ? "]\n}\n" : "\n  ]\n}\n");
    }
    if (format == HistoryFormat::Markdown) {
        out = "flaky results in the last " + number(list.window) +
            " runs: " + number(std::int64_t(list.results.size())) +
            "\n\n| result | type | location | flips | passed | failed | last | same revision |\n"
            "|---|---|---|---:|---:|---:|---|---|\n";
        for (const FlakyResult& result : list.results)
            out += "| " + markdownText(joinedName(result.name)) + " | " + markdownText(result.name.type) +
                " | " + markdownText(where(result)) + " | " + number(result.flips) + " | " +
                number(result.passed) + " | " + number(result.failed) + " | " +
                storedStatusWord(result.last) + " | " + (result.sameRevision ? "yes" : "no") + " |\n";
        return out;
    }
    if (list.results.empty())
        return "no flaky results in the last " + number(list.window) + " runs\n";
    out = "flaky results in the last " + number(list.window) + " runs (" +
        number(std::int64_t(list.results.size())) + "):\n";
    for (const FlakyResult& result : list.results) {
        const std::string at = where(result);
        out += "  " + (at.empty() ? std::string() : at + ": ") + oneLine(result.name.type) + " " +
            joinedName(result.name) + ": " + number(result.flips) + " flips (" + number(result.passed) +
            " passed, " + number(result.failed) + " failed, last " + storedStatusWord(result.last) +
            (result.sameRevision ? ", passed and failed in one revision" : "") + ")\n";
    }
    return out;
}

} // namespace xrdtool::history
