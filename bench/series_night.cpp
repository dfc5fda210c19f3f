#include "series_night.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace series {

namespace {

const char* const WordText[] = {"ok", "NE", "ko"};

/// The strongest word of each entry's counted descendants (None without any).
template <typename Word>
void aggregate(const ReportIndex& report, const std::vector<Word>& words, std::vector<Word>& agg)
{
    agg.assign(words.size(), Word(-1));
    for (std::size_t e = words.size(); e-- > 1;) {
        const EntryInfo& entry = report.entries[e];
        const Word mine = entry.counted ? words[e] : agg[e];
        if (mine != Word(-1) && entry.parent != NoParent)
            agg[entry.parent] = std::max(agg[entry.parent], mine);
    }
}

} // namespace

NightWriter::NightWriter(const ReportIndex& report) : report_(report)
{
    base_.reserve(report.entries.size());
    for (const EntryInfo& entry : report.entries) {
        const std::string word = entry.state.size == 2 ? report.text(entry.state) : std::string();
        base_.push_back(word == "ok" ? Ok : word == "ko" ? Ko : Ne);
    }
    aggregate(report_, base_, baseAgg_);
}

void NightWriter::stateWords(const Status* statuses, uint64_t failed)
{
    words_ = base_;
    for (std::size_t k = 0; k < report_.results.size(); ++k) {
        const uint32_t e = report_.results[k];
        const EntryInfo& entry = report_.entries[e];
        if (entry.state.size != 2)
            continue;
        switch (statuses[k]) {
        case Status::Failed: words_[e] = Ko; break;
        case Status::Inconclusive: words_[e] = Ne; break;
        case Status::Passed:
            // A stub never called ("NE") stays as it was: it counts as passed.
            words_[e] = statusOf(report_, entry) == Status::Passed ? base_[e] : Ok;
            break;
        }
    }
    // An enclosing entry combines its own elements' verdicts with its
    // results'; only the results are known here. When the report's word is
    // the results' own combination, tonight's combination replaces it;
    // otherwise something stronger of its own decided it, and still counts.
    aggregate(report_, words_, agg_);
    for (std::size_t e = 1; e < words_.size(); ++e) {
        if (!report_.entries[e].counted && agg_[e] != None)
            words_[e] = base_[e] == baseAgg_[e] ? agg_[e] : std::max(base_[e], agg_[e]);
    }
    words_[0] = failed > 0 ? Ko : Ok; // the global entry, as quorvanel decides it
}

void NightWriter::replace(Span span, std::string text)
{
    patches_.push_back(Patch{span.at, span.size, std::move(text)});
}

void NightWriter::patchEntries()
{
    static const char* const TitleSuffix[] = {" Passed", "", " Failed"};
    for (std::size_t e = 0; e < words_.size(); ++e) {
        const EntryInfo& entry = report_.entries[e];
        if (words_[e] == base_[e] || entry.state.size != 2)
            continue;
        replace(entry.state, WordText[words_[e]]);
        if (entry.titleStyle.size > 0 && e != 0) {
            // "Title2 Passed": the level stays, the status part follows the
            // state (the global entry's title is plain whatever its state).
            const std::string style = report_.text(entry.titleStyle);
            replace(entry.titleStyle, style.substr(0, style.find(' ')) + TitleSuffix[words_[e]]);
        }
    }
}

void NightWriter::patchSummary(const uint64_t counts[4])
{
    const uint64_t failed = counts[2];
    for (int k = 0; k < 4; ++k) {
        const CountRow& row = report_.rows[k];
        replace(row.value, std::to_string(counts[k]));
        if (k != 0 && k != 2)
            continue;
        // quorvanel marks the Passed row when nothing failed and the Failed row when something did.
        const char* wanted =
            k == 0 ? (failed == 0 ? "Array Passed" : "Array") : (failed > 0 ? "Array Failed" : "Array");
        for (const Span style : {row.labelStyle, row.valueStyle}) {
            const std::string was = report_.text(style);
            if (style.size > 0 && was != wanted &&
                (was == "Array" || was == "Array Passed" || was == "Array Failed"))
                replace(style, wanted);
        }
    }
}

void NightWriter::patchTime(const std::string& time)
{
    static const char Label[] = "Report Generation Time";
    if (report_.hasTimeRow) {
        if (report_.text(report_.timeLabel) != Label)
            replace(report_.timeLabel, Label);
        replace(report_.timeValue, time);
    } else if (report_.hasInfoTable) {
        // The row as quorvanel writes it when no compilation time came from the OTS files.
        replace(Span{report_.infoTableEnd, 0},
                std::string("<ROW>\n<CELL_TEXT STYLE=\"Array\">") + Label +
                    "</CELL_TEXT>\n<CELL_TEXT STYLE=\"Array\">" + time + "</CELL_TEXT>\n</ROW>\n");
    }
}

bool NightWriter::write(const std::string& path, const Status* statuses, const std::string& time,
                        std::string& error)
{
    uint64_t counts[4] = {0, 0, 0, 0};
    for (std::size_t k = 0; k < report_.results.size(); ++k)
        ++counts[int(statuses[k])];
    counts[3] = report_.results.size();
    patches_.clear();
    stateWords(statuses, counts[2]);
    patchEntries();
    patchSummary(counts);
    if (!time.empty())
        patchTime(time);
    std::sort(patches_.begin(), patches_.end(), [](const Patch& a, const Patch& b) { return a.at < b.at; });

    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    const std::string& bytes = report_.bytes;
    bool ok = true;
    std::size_t from = 0;
    auto put = [&](const char* data, std::size_t size) {
        ok = ok && std::fwrite(data, 1, size, file) == size;
    };
    for (const Patch& patch : patches_) {
        put(bytes.data() + from, patch.at - from);
        put(patch.text.data(), patch.text.size());
        from = patch.at + patch.size;
    }
    put(bytes.data() + from, bytes.size() - from);
    if (std::fclose(file) != 0)
        ok = false;
    if (!ok)
        error = std::strerror(errno);
    return ok;
}

} // namespace series
