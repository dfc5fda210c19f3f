#include "xrdtool/history/run_time.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <sstream>

namespace xrdtool::history {

namespace {

/// The label in every catalogue language (i18n/quorvanel_*.ts); the
/// generator writes the date itself in the C library's English layout.
const char* const GenerationTimeLabels[] = {"Report Generation Time", "Erstellungszeit des Berichts"};

bool validFields(const std::tm& fields)
{
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (fields.tm_mon < 0 || fields.tm_mon > 11 || fields.tm_mday < 1 ||
        fields.tm_mday > days[fields.tm_mon] || fields.tm_hour > 23 || fields.tm_min > 59 ||
        fields.tm_sec > 59 || fields.tm_hour < 0 || fields.tm_min < 0 || fields.tm_sec < 0)
        return false;
    const int year = fields.tm_year + 1900;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(fields.tm_mon == 1 && fields.tm_mday == 29 && !leap);
}

/// Local fields to UTC seconds; nothing when they fall outside the range.
std::optional<std::int64_t> fromLocal(std::tm fields)
{
    fields.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == std::time_t(-1) && !(fields.tm_year == 69 && fields.tm_mday == 31))
        return std::nullopt;
    if (seconds < EarliestTime || seconds > LatestTime)
        return std::nullopt;
    return std::int64_t(seconds);
}

} // namespace

std::optional<std::int64_t> parseRunTime(const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (text.size() < 19 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second,
                    &used) != 6 ||
        used != 19)
        return std::nullopt;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    }
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    if (!validFields(fields))
        return std::nullopt;
    const std::string zone = text.substr(19);
    if (zone.empty())
        return fromLocal(fields);
    std::int64_t offset = 0;
    if (zone != "Z") {
        int zoneHours = 0, zoneMinutes = 0;
        if (zone.size() != 6 || (zone[0] != '+' && zone[0] != '-') || zone[3] != ':' ||
            std::strspn(zone.c_str() + 1, "0123456789") != 2 ||
            std::strspn(zone.c_str() + 4, "0123456789") != 2)
            return std::nullopt;
        zoneHours = std::atoi(zone.substr(1, 2).c_str());
        zoneMinutes = std::atoi(zone.substr(4, 2).c_str());
        if (zoneHours > 23 || zoneMinutes > 59)
            return std::nullopt;
        offset = (zoneHours * 3600 + zoneMinutes * 60) * (zone[0] == '-' ? -1 : 1);
    }
    const std::int64_t seconds = std::int64_t(timegm(&fields)) - offset;
    if (seconds < EarliestTime || seconds > LatestTime)
        return std::nullopt;
    return seconds;
}

std::optional<std::int64_t> parseReportTime(const std::string& text)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::istringstream in(text);
    std::string weekday, month, clock, extra;
    int day = 0, year = 0;
    if (!(in >> weekday >> month >> day >> clock >> year) || (in >> extra))
        return std::nullopt;
    int m = 0;
    while (m < 12 && month != months[m])
        ++m;
    int hour = 0, minute = 0, second = 0, used = 0;
    if (m == 12 || clock.size() != 8 ||
        std::sscanf(clock.c_str(), "%2d:%2d:%2d%n", &hour, &minute, &second, &used) != 3 || used != 8)
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = m;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    if (year < 1970 || year > 9999 || !validFields(fields))
        return std::nullopt;
    return fromLocal(fields);
}

bool isGenerationTimeLabel(const std::string& label)
{
    for (const char* known : GenerationTimeLabels) {
        if (label == known)
            return true;
    }
    return false;
}

std::string formatUtc(std::int64_t seconds)
{
    const std::time_t time = std::time_t(seconds);
    std::tm fields{};
    gmtime_r(&time, &fields);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", fields.tm_year + 1900,
                  fields.tm_mon + 1, fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec);
    return buffer;
}

std::int64_t modificationTime(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? std::int64_t(info.st_mtime) : 0;
}

} // namespace xrdtool::history
