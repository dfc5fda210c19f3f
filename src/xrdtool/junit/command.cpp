// `xrdtool junit`: the report as JUnit XML, in one file or one file per suite.

#include "xrdtool/junit/command.h"

#include "xrdtool/common/cli.h"
#include "xrdtool/common/file_stem.h"
#include "xrdtool/common/output_file.h"
#include "xrdtool/junit/writer.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_set>

namespace xrdtool {

namespace {

const char XmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

bool writePart(std::FILE* out, const SuitePart& part)
{
    return std::fputs(part.head.c_str(), out) >= 0 && part.spool->copyTo(out, part.begin, part.end) &&
        std::fputs(part.tail.c_str(), out) >= 0;
}

/// Removes a folder and the files directly in it (the split output is flat).
void removeFlatFolder(const std::string& folder)
{
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                unlink((folder + "/" + name).c_str());
        }
        closedir(dir);
    }
    rmdir(folder.c_str());
}

/// Moves the files of the finished split folder into place. An earlier run's
/// TEST-*.xml files are removed first: a CI server reading the folder must not
/// see suites of a run that is gone.
bool publishSplit(const std::string& temp, const std::string& target, std::string& error)
{
    struct stat info;
    if (stat(target.c_str(), &info) != 0) {
        if (std::rename(temp.c_str(), target.c_str()) == 0)
            return true;
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = "not a folder";
        return false;
    }
    if (DIR* dir = opendir(target.c_str())) {
        while (dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name.size() > 9 && name.compare(0, 5, "TEST-") == 0 &&
                name.compare(name.size() - 4, 4, ".xml") == 0)
                unlink((target + "/" + name).c_str());
        }
        closedir(dir);
    }
    bool ok = true;
    if (DIR* dir = opendir(temp.c_str())) {
        while (dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name == "." || name == "..")
                continue;
            if (std::rename((temp + "/" + name).c_str(), (target + "/" + name).c_str()) != 0 && ok) {
                error = std::strerror(errno);
                ok = false;
            }
        }
        closedir(dir);
    }
    removeFlatFolder(temp);
    return ok;
}

} // namespace

int runJunitCommand(const std::vector<std::string>& args)
{
    std::string report;
    std::string output = "-";
    std::string split;
    JunitOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string value;
        bool missing = false;
        if (optionValue(args, i, "-o", value, missing)) {
            if (missing)
                return usageError("junit", "junit: -o takes a file name");
            output = value;
        } else if (optionValue(args, i, "--split", value, missing)) {
            if (missing || value.empty())
                return usageError("junit", "junit: --split takes a folder");
            split = value;
        } else if (optionValue(args, i, "--path-map", value, missing)) {
            if (missing || !options.pathMap.add(value))
                return usageError("junit", "junit: --path-map takes OLD=NEW");
        } else if (args[i] == "--strict") {
            options.strict = true;
        } else if (const int status = takeReport("junit", args[i], report)) {
            return status;
        }
    }
    if (report.empty())
        return usageError("junit", "junit: no report given");
    if (!split.empty() && output != "-")
        return usageError("junit", "junit: -o and --split exclude each other");

    if (split.empty()) {
        OutputFile out;
        std::string error;
        if (!out.open(output, error))
            return fileError(output, "cannot write (" + error + ")");
        out.write(XmlHead);
        out.write("<testsuites>\n");
        JunitWriter writer(options, false,
                           [&out](const SuitePart& part) { return writePart(out.stream(), part); });
        const xrd::ReadResult result = xrd::readReport(report, writer);
        if (!result.ok()) {
            out.discard();
            return readError(report, result);
        }
        printWarning(totalsWarning(report, writer.totals(), writer.reportSummary()));
        out.write("</testsuites>\n");
        if (!writer.ok() || !out.commit())
            return fileError(out.nameInMessages(), "write error");
        return ExitOk;
    }

    const std::string temp = makeTempBeside(split, true);
    if (temp.empty())
        return fileError(split, "cannot write (" + std::string(std::strerror(errno)) + ")");
    std::unordered_set<std::string> used;
    std::string stem;
    std::string failedFile;
    auto sink = [&](const SuitePart& part) {
        if (part.part == 1)
            stem = fileStem(part.suiteName, used);
        const std::string name =
            "TEST-" + stem + (part.part > 1 ? "-part" + std::to_string(part.part) : "") + ".xml";
        const std::string path = temp + "/" + name;
        std::FILE* file = std::fopen(path.c_str(), "wb");
        bool ok = file && std::fputs(XmlHead, file) >= 0 && std::fputs("<testsuites>\n", file) >= 0 &&
            writePart(file, part) && std::fputs("</testsuites>\n", file) >= 0;
        if (file)
            ok = std::fclose(file) == 0 && ok;
        if (!ok)
            failedFile = split + "/" + name;
        return ok;
    };
    JunitWriter writer(options, true, sink);
    const xrd::ReadResult result = xrd::readReport(report, writer);
    if (!result.ok()) {
        removeFlatFolder(temp);
        return readError(report, result);
    }
    printWarning(totalsWarning(report, writer.totals(), writer.reportSummary()));
    if (!writer.ok()) {
        removeFlatFolder(temp);
        return fileError(failedFile.empty() ? split : failedFile, "write error");
    }
    chmod(
        temp.c_str(), 0777 & ~[] {
            const mode_t m = umask(0);
            umask(m);
            return m;
        }());
    std::string error;
    if (!publishSplit(temp, split, error))
        return fileError(split, "cannot write (" + error + ")");
    return ExitOk;
}

} // namespace xrdtool
