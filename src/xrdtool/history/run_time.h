#pragma once
// The time of a run: given on the command line, else the report's generation
// time, else the report file's modification time; stored as UTC seconds.

#include <cstdint>
#include <optional>
#include <string>

namespace xrdtool::history {

/// Earliest and latest times a run may have (1970 to the year 9999): a
/// run's place in time order keeps its seconds and its add number in one
/// 64-bit integer.
constexpr std::int64_t EarliestTime = 0;
constexpr std::int64_t LatestTime = 253402300799; // 9999-12-31T23:59:59Z

/// `YYYY-MM-DDTHH:MM:SS` in local time, or followed by `Z` or `+HH:MM` /
/// `-HH:MM`; nothing when the text has another shape or names no real time.
std::optional<std::int64_t> parseRunTime(const std::string& text);

/// The generation time row's value as written ("Wed Mar 19 14:22:05 2025",
/// local time of the machine that wrote the report); nothing for other shapes.
std::optional<std::int64_t> parseReportTime(const std::string& text);

/// True when `label` is the generation time row's label in a language the
/// catalogues hold.
bool isGenerationTimeLabel(const std::string& label);

/// `YYYY-MM-DDTHH:MM:SSZ`.
std::string formatUtc(std::int64_t seconds);

/// The file's modification time in UTC seconds (0 when unknown): a report's
/// time when it has no generation time row.
std::int64_t modificationTime(const std::string& path);

} // namespace xrdtool::history
