#include "driver/headertext.h"

#include <cstring>

namespace qv {

namespace {

/// Read limit of one line including its terminator: 2046 characters a read.
constexpr int ReadLimit = 2047;

/// Ends the text at the last occurrence of the character, when there is one.
void cutAtLast(char* text, char c)
{
    if (char* p = std::strrchr(text, c))
        *p = '\0';
}

} // namespace

const char* readHeaderLine(FILE* stream, LineBuffer& buffer)
{
    if (!stream)
        return nullptr;
    if (!std::fgets(buffer.data, ReadLimit, stream))
        return nullptr;
    cutAtLast(buffer.data, '\n');
    cutAtLast(buffer.data, '\t');
    cutAtLast(buffer.data, '\r');
    return buffer.data;
}

HeaderTextFile::~HeaderTextFile()
{
    if (in_)
        std::fclose(in_);
}

bool HeaderTextFile::open()
{
    in_ = std::fopen(path_.c_str(), "rb");
    return in_ != nullptr;
}

const char* HeaderTextFile::nextLine()
{
    return readHeaderLine(in_, buffer_);
}

void HeaderTextFile::finish()
{
    if (!in_)
        return;
    // A last line without its line end would run into the block's first line,
    // which must start a line of its own for a later run to stop there.
    const bool needsLineEnd =
        std::fseek(in_, -1, SEEK_END) == 0 && std::getc(in_) != '\n' && !std::ferror(in_);
    std::fclose(in_);
    in_ = nullptr;

    FILE* out = std::fopen(path_.c_str(), "a");
    if (!out)
        return;
    const SummaryCounts& c = counts_;
    std::fprintf(out, "%s-Test summary\nPassed=%d\nInconclusive=%d\nFailed=%d\nTotal=%d\n",
                 needsLineEnd ? "\n" : "", c.passed, c.inconclusive, c.failed,
                 c.passed + c.inconclusive + c.failed);
    std::fclose(out);
}

} // namespace qv
