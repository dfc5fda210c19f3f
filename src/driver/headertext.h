#pragma once
// The header text file of the -h option: its line reader (shared with the
// studio header), and the source the report renderer pulls its lines from,
// which afterwards appends the run's test summary block to the file.

#include "report/document.h"

#include <cstdio>
#include <string>

namespace qv {

/// Line buffer of the two readers: 2048 bytes, at most 2046 characters a read.
struct LineBuffer {
    char data[2048];
};

/// Reads the next line of the stream into the buffer, cut at its last line feed,
/// then last tab, then last carriage return; null at end of file or without a stream.
const char* readHeaderLine(FILE* stream, LineBuffer& buffer);

/// The header text file as a line source of the report. When the renderer
/// stops reading, the file is closed and the summary block
/// "-Test summary", "Passed=", "Inconclusive=", "Failed=", "Total=" is
/// appended to it; the file is only ever appended to, and a later run stops
/// reading at the block's first line, so the header part stays in force.
class HeaderTextFile : public HeaderTextSource {
public:
    /// A source for the named file, with the counts of its summary block.
    HeaderTextFile(std::string path, const SummaryCounts& counts) : path_(std::move(path)), counts_(counts) {}
    ~HeaderTextFile() override;
    HeaderTextFile(const HeaderTextFile&) = delete;
    HeaderTextFile& operator=(const HeaderTextFile&) = delete;

    /// Opens the file for reading; false when it cannot be.
    bool open() override;
    /// The next line (see readHeaderLine), or null at the end.
    const char* nextLine() override;
    /// Closes the file and appends the summary block.
    void finish() override;

private:
    std::string path_;
    LineBuffer buffer_;
    SummaryCounts counts_;
    FILE* in_ = nullptr;
};

} // namespace qv
