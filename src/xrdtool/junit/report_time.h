#pragma once
// When a run happened, as JUnit's timestamp says it: the report's "Report
// Generation Time" row (quorvanel writes it when the OTS files give no
// compilation time), else the report file's modification time. Never a
// made-up time: CI servers show it as the run's start.

#include <string>

namespace xrdtool {

/// True when `label` is the report information label of the generation time
/// in one of the languages quorvanel's catalogues hold (i18n/*.ts); the time
/// itself is written alike in every language.
bool isReportTimeLabel(const std::string& label);

/// "Wed Mar 19 14:22:05 2025" (asctime, blanks collapsed) as
/// "2025-03-19T14:22:05"; empty when the text has another shape or names no
/// date of the calendar (year 1 to 9999).
std::string isoTimestamp(const std::string& asctime);

/// The modification time of the file at `path`, local, as
/// "YYYY-MM-DDTHH:MM:SS"; empty when it cannot be read.
std::string fileTimestamp(const std::string& path);

} // namespace xrdtool
