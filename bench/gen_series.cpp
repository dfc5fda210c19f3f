// Generates a series of nightly XRD reports from one report made by
// quorvanel, for the history's tests and benchmark, without running quorvanel
// once per night.
//
// usage: qv_gen_series REPORT.xrd OUTDIR NIGHTS [--seed N] [--share F]
//                      [--flaky N] [--failing N] [--start YYYY-MM-DDTHH:MM:SS]
//                      [--step SECONDS] [--no-time] [--revision-every N]
//                      [--window N] [--min-flips N] [--newest N]
//                      [--answers FILE] [--timelines] [--write FIRST-LAST]
//                      [--then COMMAND]
//
// Writes OUTDIR/night-001.xrd .. (one per night, numbered with at least
// three digits) and OUTDIR/answers.json (or FILE), and prints one line
// "nights=N results=R written=W bytes=B".
//
// Each night is the report with statuses changed (series_plan: a share of
// the ordinary results, default 0.01, change status each night; --flaky
// results, default 20, flip on a fixed pattern; --failing results, default
// 10, fail for a known number of nights up to the last one), its summary rows
// made true for them, and its "Report Generation Time" set to --start (default
// 2025-01-01T02:00:00) plus --step seconds (default a day) per night; every
// other byte is the report's. The answers (series_answers.h) hold every
// night's counts, the flaky list and the streaks at night --newest (default the
// last), computed from the chosen statuses.
//
// A year of the bench's medium report is 12 GB: --write FIRST-LAST writes only
// those nights (the answers still cover all), and --then COMMAND runs
// COMMAND through the shell as soon as a night is written, with the file as
// $1 (appended as the last argument unless COMMAND names "$1"), and then
// removes the file, so that a benchmark streams the series through the disk
// cache instead of keeping it. Everything is deterministic for a seed.

#include "series_answers.h"
#include "series_night.h"
#include "series_plan.h"
#include "series_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace series;

namespace {

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: qv_gen_series REPORT.xrd OUTDIR NIGHTS [--seed N] [--share F] [--flaky N] "
                 "[--failing N] [--start YYYY-MM-DDTHH:MM:SS] [--step SECONDS] [--no-time] "
                 "[--revision-every N] [--window N] [--min-flips N] [--newest N] [--answers FILE] "
                 "[--timelines] [--write FIRST-LAST] [--then COMMAND]\n");
    std::exit(2);
}

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "qv_gen_series: %s\n", what.c_str());
    std::exit(1);
}

/// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

/// A time as seconds since 1970 on the wall clock (no zone: the report's
/// times are local and written as they are).
struct WallTime {
    int64_t seconds = 0;

    /// "YYYY-MM-DDTHH:MM:SS"; false when it has another shape.
    bool parse(const std::string& text)
    {
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        char tail = 0;
        if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
            mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
            return false;
        seconds = daysFromCivil(y, unsigned(mo), unsigned(d)) * 86400 + h * 3600 + mi * 60 + s;
        return true;
    }

    /// Both ways the series writes a time: as quorvanel's row ("Wed Jan  1
    /// 02:00:00 2025") and for the answers ("2025-01-01T02:00:00").
    void format(std::string& row, std::string& iso) const
    {
        static const char* const Days[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
        static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
        const int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
        const int64_t rest = seconds - days * 86400;
        // civil_from_days
        const int64_t z = days + 719468;
        const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
        const unsigned doe = unsigned(z - era * 146097);
        const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const unsigned mp = (5 * doy + 2) / 153;
        const unsigned d = doy - (153 * mp + 2) / 5 + 1;
        const unsigned m = mp < 10 ? mp + 3 : mp - 9;
        const int64_t y = int64_t(yoe) + era * 400 + (m <= 2);
        const int h = int(rest / 3600), mi = int(rest / 60 % 60), s = int(rest % 60);
        char text[64];
        std::snprintf(text, sizeof text, "%s %s%3u %02d:%02d:%02d %lld", Days[((days % 7) + 7) % 7],
                      Months[m - 1], d, h, mi, s, static_cast<long long>(y));
        row = text;
        std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(y), m, d,
                      h, mi, s);
        iso = text;
    }
};

/// Runs `command` through the shell with `file` as $1, appended as the last
/// argument when the command does not name $1; its exit status.
int runWith(const std::string& command, const std::string& file)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const std::string script = command.find("$1") == std::string::npos ? command + " \"$1\"" : command;
        execl("/bin/sh", "sh", "-c", script.c_str(), "qv_gen_series", file.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) < 0)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

uint32_t number(const char* text)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (end == text || *end != '\0' || value > 0xFFFFFFFFul)
        usage();
    return uint32_t(value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        usage();
    const std::string reportPath = argv[1];
    const std::string dir = argv[2];
    PlanOptions plan;
    plan.nights = number(argv[3]);
    AnswerOptions answers;
    std::string answersPath = dir + "/answers.json";
    WallTime start;
    start.parse("2025-01-01T02:00:00");
    int64_t step = 86400;
    bool times = true;
    uint32_t revisionEvery = 0;
    uint32_t writeFirst = 1, writeLast = plan.nights;
    std::string then;
    for (int i = 4; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--no-time") {
            times = false;
            continue;
        }
        if (a == "--timelines") {
            answers.timelines = true;
            continue;
        }
        if (i + 1 >= argc)
            usage();
        const char* v = argv[++i];
        if (a == "--seed")
            plan.seed = std::strtoull(v, nullptr, 10);
        else if (a == "--share")
            plan.share = std::strtod(v, nullptr);
        else if (a == "--flaky")
            plan.flaky = number(v);
        else if (a == "--failing")
            plan.failing = number(v);
        else if (a == "--start") {
            if (!start.parse(v))
                usage();
        } else if (a == "--step")
            step = std::strtoll(v, nullptr, 10);
        else if (a == "--revision-every")
            revisionEvery = number(v);
        else if (a == "--window")
            answers.window = number(v);
        else if (a == "--min-flips")
            answers.minFlips = number(v);
        else if (a == "--newest")
            answers.newest = number(v);
        else if (a == "--answers")
            answersPath = v;
        else if (a == "--write") {
            if (std::sscanf(v, "%u-%u", &writeFirst, &writeLast) != 2)
                usage();
        } else if (a == "--then")
            then = v;
        else
            usage();
    }
    if (answers.newest == 0)
        answers.newest = plan.nights;
    if (plan.nights < 1 || plan.share < 0 || plan.share > 1 || answers.window < 1 ||
        answers.newest > plan.nights || writeFirst < 1 || writeLast > plan.nights || step < 0)
        usage();
    plan.calm = answers.window;

    ReportIndex report;
    std::string error;
    if (!scanReport(reportPath, report, error))
        fail(reportPath + ": " + error);
    if (times && !report.hasTimeRow && !report.hasInfoTable)
        fail(reportPath + ": no report information table to hold the time (use --no-time)");

    std::vector<ResultTraits> traits;
    traits.reserve(report.results.size());
    for (const uint32_t e : report.results) {
        const EntryInfo& entry = report.entries[e];
        traits.push_back(ResultTraits{statusOf(report, entry), entry.stub, entry.state.size != 2});
    }
    const Plan statuses = makePlan(traits, plan);

    std::vector<NightInfo> nights(plan.nights);
    std::vector<std::string> rows(plan.nights);
    const int digits = std::max(3, int(std::to_string(plan.nights).size()));
    for (uint32_t n = 1; n <= plan.nights; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "night-%0*u.xrd", digits, n);
        nights[n - 1].file = name;
        if (times)
            WallTime{start.seconds + int64_t(n - 1) * step}.format(rows[n - 1], nights[n - 1].at);
        if (revisionEvery > 0)
            nights[n - 1].revision = "r" + std::to_string((n - 1) / revisionEvery + 1);
    }
    answers.report = reportPath;
    answers.seed = plan.seed;
    answers.share = plan.share;
    if (!writeAnswers(answersPath, report, statuses, nights, answers, error))
        fail(answersPath + ": " + error);

    NightWriter writer(report);
    uint64_t bytes = 0, written = 0;
    for (uint32_t n = writeFirst; n <= writeLast; ++n) {
        const std::string path = dir + "/" + nights[n - 1].file;
        if (!writer.write(path, statuses.night(n), rows[n - 1], error))
            fail(path + ": " + error);
        ++written;
        struct stat info;
        if (stat(path.c_str(), &info) == 0)
            bytes += uint64_t(info.st_size);
        if (!then.empty()) {
            const int status = runWith(then, path);
            std::remove(path.c_str());
            if (status != 0)
                fail("'" + then + "' ended with status " + std::to_string(status) + " on " + path);
        }
    }
    std::printf("nights=%u results=%zu written=%llu bytes=%llu\n", plan.nights, report.results.size(),
                static_cast<unsigned long long>(written), static_cast<unsigned long long>(bytes));
    return 0;
}
