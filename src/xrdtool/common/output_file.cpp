#include "xrdtool/common/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace xrdtool {

std::string makeTempBeside(const std::string& target, bool folder)
{
    std::string pattern = target;
    while (pattern.size() > 1 && pattern.back() == '/')
        pattern.pop_back();
    pattern += ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (folder) {
        if (!mkdtemp(name.data()))
            return std::string();
    } else {
        const int fd = mkstemp(name.data());
        if (fd < 0)
            return std::string();
        close(fd);
    }
    return std::string(name.data());
}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open(const std::string& target, std::string& error)
{
    target_ = target;
    if (target.empty() || target == "-") {
        isStdout_ = true;
        nameInMessages_ = "standard output";
        stream_ = stdout;
        return true;
    }
    nameInMessages_ = target;
    struct stat info;
    const bool special = stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    if (special) {
        stream_ = std::fopen(target.c_str(), "wb");
        if (!stream_) {
            error = std::strerror(errno);
            return false;
        }
        return true;
    }
    temp_ = makeTempBeside(target, false);
    if (temp_.empty()) {
        error = std::strerror(errno);
        return false;
    }
    stream_ = std::fopen(temp_.c_str(), "wb");
    if (!stream_) {
        error = std::strerror(errno);
        std::remove(temp_.c_str());
        temp_.clear();
        return false;
    }
    // A JUnit file of a large report has tens of megabytes: large blocks save
    // most of the system calls of the default 4 KiB buffer. The C library
    // takes the size only with a buffer of our own.
    constexpr std::size_t BufferSize = std::size_t(1) << 20;
    buffer_.reset(new (std::nothrow) char[BufferSize]);
    if (buffer_)
        std::setvbuf(stream_, buffer_.get(), _IOFBF, BufferSize);
    return true;
}

bool OutputFile::commit()
{
    if (!stream_)
        return false;
    bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_);
    if (isStdout_) {
        stream_ = nullptr;
        return ok;
    }
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    if (!temp_.empty()) {
        if (ok) {
            // mkstemp makes the file private; a report is as readable as any other file.
            const mode_t mask = umask(0);
            umask(mask);
            chmod(temp_.c_str(), 0666 & ~mask);
            ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
        }
        if (!ok)
            std::remove(temp_.c_str());
        temp_.clear();
    }
    return ok;
}

void OutputFile::discard()
{
    if (stream_ && !isStdout_)
        std::fclose(stream_);
    stream_ = nullptr;
    if (!temp_.empty()) {
        std::remove(temp_.c_str());
        temp_.clear();
    }
}

} // namespace xrdtool
