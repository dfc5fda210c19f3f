#include "xrdtool/junit/report_time.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <sstream>

namespace xrdtool {

namespace {

/// The source label and its translations, as the catalogues give them.
const char* const ReportTimeLabels[] = {"Report Generation Time", "Erstellungszeit des Berichts"};

bool leapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::string iso(int year, int month, int day, int hour, int minute, int second)
{
    // Room for any int in each field, though callers pass checked values.
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute,
                  second);
    return buffer;
}

} // namespace

bool isReportTimeLabel(const std::string& label)
{
    for (const char* known : ReportTimeLabels) {
        if (label == known)
            return true;
    }
    return false;
}

std::string isoTimestamp(const std::string& asctime)
{
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
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
    if (m == 12 || year < 1 || year > 9999 || time.size() != 8 || !(clock >> hh >> c1 >> mm >> c2 >> ss) ||
        c1 != ':' || c2 != ':' || hh > 23 || mm > 59 || ss > 59 || hh < 0 || mm < 0 || ss < 0)
        return std::string();
    const int inMonth = days[m] + (m == 1 && leapYear(year) ? 1 : 0);
    if (date < 1 || date > inMonth)
        return std::string();
    return iso(year, m + 1, date, hh, mm, ss);
}

std::string fileTimestamp(const std::string& path)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return std::string();
    std::tm local{};
    if (!localtime_r(&status.st_mtime, &local))
        return std::string();
    const int year = local.tm_year + 1900;
    if (year < 1 || year > 9999)
        return std::string();
    return iso(year, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

} // namespace xrdtool
