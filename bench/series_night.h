#pragma once
// One night's report: the report's bytes with the places of series_scan
// rewritten for that night's statuses, streamed to a file.

#include "series_scan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace series {

/// Writes the nights of one report.
class NightWriter {
public:
    /// `report` must outlive the writer.
    explicit NightWriter(const ReportIndex& report);

    /// Writes the report with one status per result (in document order) and,
    /// when `time` is not empty, that "Report Generation Time" (the row is
    /// rewritten, or added to the first report information table). False with
    /// the reason in `error` when the file cannot be written.
    bool write(const std::string& path, const Status* statuses, const std::string& time, std::string& error);

private:
    // State words ordered as quorvanel combines them: failed over not executed over passed.
    enum Word : int8_t { None = -1, Ok = 0, Ne = 1, Ko = 2 };

    struct Patch {
        std::size_t at;
        std::size_t size;
        std::string text;
    };

    void stateWords(const Status* statuses, uint64_t failed);
    void patchEntries();
    void patchSummary(const uint64_t counts[4]);
    void patchTime(const std::string& time);
    void replace(Span span, std::string text);

    const ReportIndex& report_;
    std::vector<Word> base_;     // the report's state word of every entry
    std::vector<Word> baseAgg_;  // the strongest word of each entry's counted descendants
    std::vector<Word> words_;    // tonight's state words
    std::vector<Word> agg_;      // tonight's strongest word of the counted descendants
    std::vector<Patch> patches_; // tonight's changes, by position
};

} // namespace series
