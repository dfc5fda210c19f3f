#pragma once
// Output files that appear whole or not at all: written under a temporary
// name beside the target and renamed over it at the end.

#include "xrdtool/common/error.h"

#include <cstdio>
#include <memory>
#include <string>

namespace xrdtool {

/// One output file, or the standard output for "-" (and for an empty name).
/// Character devices and pipes (/dev/null, /dev/full, a FIFO) are written in
/// place: renaming over them would replace the device.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    /// Removes the temporary file when commit() was not reached.
    ~OutputFile();

    /// Opens the output: "cannot write (REASON)" when it cannot be created.
    Result<void> open(const std::string& target);
    /// The stream to write to; valid after a successful open().
    std::FILE* stream() const { return stream_; }
    /// Writes bytes; errors surface in commit().
    void write(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream_); }
    void write(const char* text) { std::fputs(text, stream_); }
    /// Flushes, closes and renames into place; writeError() on any write error
    /// (the temporary file is then removed).
    Result<void> commit();
    /// Drops the output: removes the temporary file.
    void discard();
    /// "write error" of this output (the target, or the standard output).
    Error writeError() const;

private:
    /// The stream's buffer; outlives the stream, which commit() and discard() close.
    std::unique_ptr<char[]> buffer_;
    std::FILE* stream_ = nullptr;
    std::string target_;
    std::string temp_;
    std::string nameInMessages_;
    bool isStdout_ = false;
};

/// A unique temporary name beside `target` ("TARGET.tmp-XXXXXX"), created as a
/// private empty file (or folder, when `folder` is true); the system's reason
/// when it cannot be made.
Result<std::string> makeTempBeside(const std::string& target, bool folder);

} // namespace xrdtool
