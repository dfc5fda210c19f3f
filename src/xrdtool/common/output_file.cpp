#include "xrdtool/common/output_file.h"

#include "xrdtool/common/umask_scope.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace xrdtool {

Result<std::string> makeTempBeside(const std::string& target, bool folder)
{
    std::string pattern = target;
    while (pattern.size() > 1 && pattern.back() == '/')
        pattern.pop_back();
    pattern += ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (folder) {
        if (!mkdtemp(name.data()))
            return fileError(target, std::strerror(errno));
    } else {
        const int fd = mkstemp(name.data());
        if (fd < 0)
            return fileError(target, std::strerror(errno));
        close(fd);
    }
    return std::string(name.data());
}

OutputFile::~OutputFile()
{
    discard();
}

Result<void> OutputFile::open(const std::string& target)
{
    target_ = target;
    if (target.empty() || target == "-") {
        isStdout_ = true;
        nameInMessages_ = StandardOutput;
        stream_ = stdout;
        return {};
    }
    nameInMessages_ = target;
    const auto cannotWrite = [&target](const std::string& reason) {
        return fileError(target, "cannot write (" + reason + ")");
    };
    struct stat info;
    const bool special = stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    if (special) {
        stream_ = std::fopen(target.c_str(), "wb");
        if (!stream_)
            return cannotWrite(std::strerror(errno));
        return {};
    }
    Result<std::string> temp = makeTempBeside(target, false);
    if (!temp)
        return cannotWrite(temp.error().reason);
    temp_ = *temp;
    stream_ = std::fopen(temp_.c_str(), "wb");
    if (!stream_) {
        const Error error = cannotWrite(std::strerror(errno));
        std::remove(temp_.c_str());
        temp_.clear();
        return error;
    }
    // A JUnit file of a large report has tens of megabytes: large blocks save
    // most of the system calls of the default 4 KiB buffer. The C library
    // takes the size only with a buffer of our own.
    constexpr std::size_t BufferSize = std::size_t(1) << 20;
    buffer_.reset(new (std::nothrow) char[BufferSize]);
    if (buffer_)
        std::setvbuf(stream_, buffer_.get(), _IOFBF, BufferSize);
    return {};
}

Error OutputFile::writeError() const
{
    return fileError(nameInMessages_, "write error");
}

Result<void> OutputFile::commit()
{
    if (!stream_)
        return writeError();
    bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_);
    if (isStdout_) {
        stream_ = nullptr;
        return ok ? Result<void>() : writeError();
    }
    ok = std::fclose(stream_) == 0 && ok;
    stream_ = nullptr;
    if (!temp_.empty()) {
        if (ok) {
            // mkstemp makes the file private; a report is as readable as any other file.
            grantUmaskPermissions(temp_, false);
            ok = std::rename(temp_.c_str(), target_.c_str()) == 0;
        }
        if (!ok)
            std::remove(temp_.c_str());
        temp_.clear();
    }
    return ok ? Result<void>() : writeError();
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
