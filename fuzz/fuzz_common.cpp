#include "fuzz_common.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

// Prints through the sanitizers' report stream, which libFuzzer keeps open when
// it discards the target's own error output (-close_fd_mask=2 or 3).
extern "C" void __sanitizer_report_error_summary(const char* error_summary) __attribute__((weak));

namespace qv::fuzz {

namespace {

void quietMessageHandler(QtMsgType, const QMessageLogContext&, const QString&)
{}

/// Prefix of the scratch files of this process: the temporary folder and the process id.
const std::string& scratchPrefix()
{
    static const std::string prefix = [] {
        const char* base = std::getenv("TMPDIR");
        return std::string(base && *base ? base : "/tmp") + "/qv-fuzz-" + std::to_string(getpid()) + "-";
    }();
    return prefix;
}

} // namespace

void initApplication()
{
    static int argc = 1;
    static char name[] = "quorvanel-fuzz";
    static char* argv[] = {name, nullptr};
    qInstallMessageHandler(quietMessageHandler);
    // Lives until the process ends, like the program's own application object.
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
}

std::vector<std::string_view> splitParts(const uint8_t* data, size_t size)
{
    std::vector<std::string_view> parts;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (;;) {
        const size_t at = rest.find(PartSeparator);
        if (at == std::string_view::npos) {
            parts.push_back(rest);
            return parts;
        }
        parts.push_back(rest.substr(0, at));
        rest.remove_prefix(at + PartSeparator.size());
    }
}

ScratchFile::ScratchFile(const char* name, std::string_view bytes) : path_(scratchPrefix() + name)
{
    FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f)
        fail("cannot create a scratch file", path_);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        fail("cannot write a scratch file", path_);
    std::fclose(f);
}

ScratchFile::~ScratchFile()
{
    std::remove(path_.c_str());
}

std::string ScratchFile::contents() const
{
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void fail(const char* what, std::string_view detail)
{
    std::fprintf(stderr, "\nFUZZ CHECK FAILED: %s\n", what);
    if (!detail.empty())
        std::fprintf(stderr, "%.*s\n", int(std::min<size_t>(detail.size(), 4000)), detail.data());
    std::fflush(stderr);
    if (__sanitizer_report_error_summary) {
        std::string summary = std::string("FUZZ CHECK FAILED: ") + what;
        if (!detail.empty())
            summary += ": " + std::string(detail.substr(0, 300));
        __sanitizer_report_error_summary(summary.c_str());
    }
    std::abort();
}

} // namespace qv::fuzz
