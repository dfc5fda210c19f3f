#include "driver/cmdline.h"

#include "base/textconversion.h"

#include <cstring>

namespace qv {

namespace {

bool is(const char* arg, const char* option)
{
    return std::strcmp(arg, option) == 0;
}

bool endsOtsList(const char* arg)
{
    return is(arg, "-xrd") || is(arg, "-tdf");
}

} // namespace

bool parseCommandLine(int argc, char** argv, CommandLine& commandLine)
{
    // Pass 1: count the OTS names to size the array.
    int count = 0;
    for (int i = 0; i < argc; ++i) {
        if (!is(argv[i], "-ots"))
            continue;
        ++i;
        while (i < argc && !endsOtsList(argv[i])) {
            ++count;
            ++i;
        }
    }
    commandLine.otsFiles.assign(size_t(count), nullptr);
    commandLine.otsCount = 0;

    // Pass 2: fill the record. The four tests of a step each look at the
    // argument at the current position, which an earlier test may have moved.
    int counter = -3;
    bool missingValue = false;
    for (int i = 0; i < argc; ++i) {
        if (i < argc && is(argv[i], "-ots")) {
            ++i;
            int stored = 0;
            while (i < argc && !endsOtsList(argv[i])) {
                commandLine.otsFiles[size_t(stored++)] = argv[i];
                ++i;
            }
            if (stored > commandLine.otsCount)
                commandLine.otsCount = stored;
            ++counter;
        }
        if (i < argc && is(argv[i], "-xrd")) {
            ++i;
            if (i < argc)
                commandLine.xrdFile = argv[i];
            else
                missingValue = true;
            ++counter;
        }
        if (i < argc && is(argv[i], "-h")) {
            ++i;
            if (i < argc)
                commandLine.headerTextFile = argv[i];
            else
                missingValue = true;
        }
        if (i < argc && is(argv[i], "-tdf")) {
            ++i;
            if (i < argc)
                commandLine.tdfFile = argv[i];
            else
                missingValue = true;
            ++counter;
        }
    }
    // A step that found more than one option, or a missing name, rejects the line.
    return counter == 0 && !missingValue && commandLine.tdfFile && commandLine.xrdFile;
}

void printUsage(const char* programName)
{
    writeStderr(toLocal8(tr("QUORVANEL", "\nUsage: ")));
    writeStderr(programName ? programName : "");
    writeStderr(toLocal8(tr("QUORVANEL",
                            " -ots <otsFiles> -tdf <tdfFile> -xrd <xrdFile> [-h <headerTextFile>]\n"
                            "         <otsFiles>    Object Testing symbol filenames\n"
                            "         <tdfFile>     Trace dynamic filename\n"
                            "         <xrdFile>     Results filename\n\n")));
}

} // namespace qv
