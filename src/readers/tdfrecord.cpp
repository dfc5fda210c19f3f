#include "readers/tdfrecord.h"

#include "base/textconversion.h"
#include "readers/tokens.h"

#include <cstring>
#include <string_view>

namespace qv {

namespace {

/// Reads the rest of the line, without its newline, into `out` (reused, so the
/// trace's hot loop does not allocate); a NUL ends the text, the line is still
/// read to its end. A line that is buffered whole is taken in one copy.
void readRestOfLine(InStream& in, std::string& out)
{
    std::string_view line;
    size_t length = 0;
    if (in.peekLine(line, length)) {
        if (const void* nul = std::memchr(line.data(), 0, line.size()))
            line = line.substr(0, size_t(static_cast<const char*>(nul) - line.data()));
        out.assign(line.data(), line.size());
        in.skip(length);
        return;
    }
    out.clear();
    bool cut = false;
    for (;;) {
        const int c = in.get();
        if (c == InStream::Eof || c == '\n')
            return;
        if (c == 0)
            cut = true;
        if (!cut)
            out.push_back(char(c));
    }
}

/// Prints a refusal of parseTdfHex in its own format, outside the diagnostics printer.
void printNumberMessage(const char* source)
{
    writeStderr("\n" + toLocal8(tr("QUORVANEL", source)) + "\n");
}

} // namespace

std::optional<std::string_view> detail::tdfField(std::string_view text, char separator, int n)
{
    if (n <= 0)
        return std::nullopt;
    // Plain loops: the fields of a trace line are a few characters long.
    const size_t size = text.size();
    size_t start = 0;
    for (int i = 1; i < n; ++i) {
        while (start < size && text[start] != separator)
            ++start;
        if (start == size)
            return std::nullopt;
        ++start;
    }
    // Past a final separator there is no field.
    if (n > 1 && start == size)
        return std::nullopt;
    size_t end = start;
    while (end < size && text[end] != separator)
        ++end;
    return text.substr(start, end - start);
}

uint32_t detail::parseTdfHex(std::string_view text)
{
    uint32_t value = 0;
    int digits = 0;
    bool lowFirst = false;
    for (const char ch : text) {
        const int c = static_cast<unsigned char>(ch);
        const int d = hexDigitValue(static_cast<unsigned char>(c));
        if (d >= 0) {
            if (digits >= 8) {
                printNumberMessage("32 bits number overflow");
                return 0;
            }
            if (lowFirst)
                value |= uint32_t(d) << (4 * digits);
            else
                value = (value << 4) | uint32_t(d);
            ++digits;
        } else if (c == 'h' || c == 'H') {
            // After the digits it closes the number: any later digit overflows.
            if (digits > 0)
                digits = 8;
            else
                lowFirst = true;
        } else {
            printNumberMessage("non hexa digit found in number");
            return 0;
        }
    }
    return value;
}

namespace {

/// True when the token is exactly the two-letter code.
bool isCode(std::string_view token, char a, char b)
{
    return token.size() == 2 && token[0] == a && token[1] == b;
}

/// The "OT" record from the rest of its line.
void readElementEvent(std::string_view rest, TdfRecord& record)
{
    const std::optional<std::string_view> id = detail::tdfField(rest, ' ', 1);
    record.elementId = detail::parseTdfHex(id ? *id : std::string_view());
    const std::optional<std::string_view> verdict = detail::tdfField(rest, ' ', 2);
    if (verdict) {
        record.kind = TdfRecordKind::Verdict;
        record.verdict = decimalField(*verdict);
    } else {
        record.kind = TdfRecordKind::Hit;
    }
}

/// The "NO" record from the rest of its line.
void readNote(std::string_view rest, TdfRecord& record)
{
    if (!rest.empty() && rest[0] == '"') {
        record.kind = TdfRecordKind::Note;
        record.text = decodeTraceText(std::string(rest));
    }
}

/// The usual "OT" line read straight from buffered bytes: "OT", a blank,
/// one to eight hexadecimal digits and optionally a blank and one to nine
/// decimal digits, with the result readTdfRecordInto gives it. `text`
/// starts at the line; the line ends at its end when `atLineEnd` is true,
/// else at a newline (or a carriage return and newline) within it. Returns
/// the bytes read (the line end included, when in `text`), or 0 for any
/// other line, which readTdfRecordInto then reads.
///
/// A second path, kept for nine records in ten: on the large benchmark
/// campaign (10.4 million records) the trace stage takes about 0.35 s of CPU
/// time with it and 0.75 s without (bench/stage_bench). The differential
/// tests (tests/readers/lines_test.cpp, byte reading against buffered
/// reading) hold the two equal.
size_t readPlainEvent(std::string_view text, bool atLineEnd, TdfRecord& record)
{
    const size_t n = text.size();
    const char* p = text.data();
    if (n < 4 || p[0] != 'O' || p[1] != 'T' || p[2] != ' ')
        return 0;
    // Length of the line end at position i, or 0 when none is there.
    auto lineEndAt = [&](size_t i) -> size_t {
        if (i == n)
            return atLineEnd ? size_t(1) : 0;
        if (atLineEnd)
            return 0;
        if (p[i] == '\n')
            return 1;
        return p[i] == '\r' && i + 1 < n && p[i + 1] == '\n' ? 2 : 0;
    };
    size_t i = 3;
    uint32_t id = 0;
    for (; i < n && i < 11; ++i) {
        const int d = hexDigitValue(static_cast<unsigned char>(p[i]));
        if (d < 0)
            break;
        id = (id << 4) | uint32_t(d);
    }
    if (i == 3)
        return 0;
    if (const size_t end = lineEndAt(i)) {
        record.kind = TdfRecordKind::Hit;
        record.elementId = id;
        record.text.clear();
        return atLineEnd ? n : i + end;
    }
    if (i == n || p[i] != ' ')
        return 0;
    const size_t first = ++i;
    int verdict = 0;
    for (; i < n && i - first < 9; ++i) {
        const unsigned d = static_cast<unsigned char>(p[i]) - unsigned('0');
        if (d > 9)
            break;
        verdict = verdict * 10 + int(d);
    }
    const size_t end = lineEndAt(i);
    if (i == first || !end)
        return 0;
    record.kind = TdfRecordKind::Verdict;
    record.elementId = id;
    record.verdict = verdict;
    record.text.clear();
    return atLineEnd ? n : i + end;
}

} // namespace

void detail::readTdfRecordInto(InStream& in, TdfRecord& record, std::string& line)
{
    record.kind = TdfRecordKind::None;
    record.text.clear();
    const std::string code = readToken(in, ' ');
    if (isCode(code, 'O', 'T')) {
        readRestOfLine(in, line);
        readElementEvent(line, record);
    } else if (isCode(code, 'N', 'O')) {
        readRestOfLine(in, line);
        readNote(line, record);
    } else if (isCode(code, 'S', 'F')) {
        record.kind = TdfRecordKind::SourceFile;
        record.fileId = detail::parseTdfHex(readToken(in, ' '));
        record.checksum1 = detail::parseTdfHex(readToken(in, ' '));
        record.checksum2 = detail::parseTdfHex(readToken(in, '\n'));
    } else if (isCode(code, 'C', 'S')) {
        record.kind = TdfRecordKind::CurrentFile;
        readRestOfLine(in, line);
        record.fileId = detail::parseTdfHex(line);
    } else {
        readRestOfLine(in, line);
    }
}

void lexTdfBatch(InStream& in, TdfBatch& batch, TdfRecord& record, std::string& line)
{
    batch.clear();
    batch.events.reserve(TdfBatch::Events);
    while (!batch.full()) {
        if (in.atEnd()) {
            batch.last = true;
            return;
        }
        // Plain events, nearly every line, straight from the buffer; every
        // other record by the one record reader.
        if (const size_t used = readPlainEvent(in.buffered(), false, record))
            in.skip(used);
        else
            detail::readTdfRecordInto(in, record, line);
        TdfBatch::Event e{record.kind, 0, record.elementId};
        switch (record.kind) {
        case TdfRecordKind::Verdict:
            e.verdict = record.verdict >= 0 && record.verdict <= 3 ? uint8_t(record.verdict) : 4;
            break;
        case TdfRecordKind::SourceFile:
            e.value = record.fileId;
            batch.checksums.push_back(record.checksum1);
            batch.checksums.push_back(record.checksum2);
            break;
        case TdfRecordKind::CurrentFile: e.value = record.fileId; break;
        case TdfRecordKind::Note:
            batch.texts += record.text;
            batch.textLengths.push_back(record.text.size());
            break;
        case TdfRecordKind::Hit: break;
        default: continue; // nothing to apply
        }
        batch.events.push_back(e);
    }
}

} // namespace qv
