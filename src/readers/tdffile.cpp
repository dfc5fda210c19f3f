#include "readers/tdffile.h"

#include "base/text.h"
#include "model/evaluation.h"
#include "readers/linecursor.h"
#include "readers/otsfile.h"
#include "readers/pipeline.h"

#include <QByteArray>
#include <QStringDecoder>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace qv {

namespace {

/// Reads the rest of the line, without its newline, into `out` (reused, so the
/// trace's hot loop does not allocate); a NUL ends the text, the line is still
/// read to its end.
void readRestOfLine(InStream &in, std::string &out)
{
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

/// Field n (from 1) of the text, as a view into it; see tdfField.
std::optional<std::string_view> fieldView(std::string_view text, char separator, int n)
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

/// Prints a refusal of parseTdfHex in its own format, outside the diagnostics printer.
void printNumberMessage(const char *source)
{
    writeStderr("\n" + toLocal8(tr("QUORVANEL", source)) + "\n");
}

/// parseTdfHex on a view, for fields cut out of a reused line buffer.
uint32_t parseHex(std::string_view text)
{
    uint32_t value = 0;
    int digits = 0;
    bool lowFirst = false;
    for (const char ch : text) {
        const int c = static_cast<unsigned char>(ch);
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
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

/// Decimal number as atoi reads it, clamped to 32 bits.
int verdictValue(std::string_view text)
{
    return decimalField(text);
}

/// True when the token is exactly the two-letter code.
bool isCode(std::string_view token, char a, char b)
{
    return token.size() == 2 && token[0] == a && token[1] == b;
}

/// The "OT" record from the rest of its line.
void readElementEvent(std::string_view rest, TdfRecord &record)
{
    const std::optional<std::string_view> id = fieldView(rest, ' ', 1);
    record.elementId = parseHex(id ? *id : std::string_view());
    const std::optional<std::string_view> verdict = fieldView(rest, ' ', 2);
    if (verdict) {
        record.kind = TdfVerdict;
        record.verdict = verdictValue(*verdict);
    } else {
        record.kind = TdfHit;
    }
}

/// The "NO" record from the rest of its line.
void readNote(std::string_view rest, TdfRecord &record)
{
    if (!rest.empty() && rest[0] == '"') {
        record.kind = TdfNote;
        record.text = decodeTraceText(std::string(rest));
    }
}

/// Reads one line into `record`; `line` is a reused working buffer.
void readRecordInto(InStream &in, TdfRecord &record, std::string &line)
{
    record.kind = TdfNone;
    record.text.clear();
    const std::string code = readToken(in, ' ');
    if (isCode(code, 'O', 'T')) {
        readRestOfLine(in, line);
        readElementEvent(line, record);
    } else if (isCode(code, 'N', 'O')) {
        readRestOfLine(in, line);
        readNote(line, record);
    } else if (isCode(code, 'S', 'F')) {
        record.kind = TdfSourceFile;
        record.fileId = parseHex(readToken(in, ' '));
        record.checksum1 = parseHex(readToken(in, ' '));
        record.checksum2 = parseHex(readToken(in, '\n'));
    } else if (isCode(code, 'C', 'S')) {
        record.kind = TdfCurrentFile;
        readRestOfLine(in, line);
        record.fileId = parseHex(line);
    } else {
        readRestOfLine(in, line);
    }
}

/// Value of a hexadecimal digit, or -1.
inline int hexDigit(unsigned char c)
{
    if (unsigned(c) - '0' < 10u)
        return c - '0';
    const unsigned lower = c | 0x20u;
    if (lower - 'a' < 6u)
        return int(lower - 'a') + 10;
    return -1;
}

/// The usual "OT" line: "OT", a blank, one to eight hexadecimal digits and
/// optionally a blank and one to nine decimal digits, read in one pass with
/// the result the general path gives it (no number can be refused or
/// clamped). `text` starts at the line; the line ends at its end when
/// `atLineEnd` is true, else at a newline (or a carriage return and newline)
/// within it. Returns the bytes read (the line end included, when in `text`),
/// or 0 for any other line, which the general path then reads.
inline size_t readPlainEvent(std::string_view text, bool atLineEnd, TdfRecord &record)
{
    const size_t n = text.size();
    const char *p = text.data();
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
        const int d = hexDigit(static_cast<unsigned char>(p[i]));
        if (d < 0)
            break;
        id = (id << 4) | uint32_t(d);
    }
    if (i == 3)
        return 0;
    if (const size_t end = lineEndAt(i)) {
        record.kind = TdfHit;
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
    record.kind = TdfVerdict;
    record.elementId = id;
    record.verdict = verdict;
    record.text.clear();
    return atLineEnd ? n : i + end;
}

/// Reads a record from one buffered line with the same steps as
/// readRecordInto; false, with nothing to consume, when the code would run
/// past the line end or the record is an "SF" record (both read from the
/// stream instead).
bool readRecordFromLine(std::string_view text, TdfRecord &record)
{
    if (readPlainEvent(text, true, record))
        return true;
    LineCursor c(text);
    const std::string_view code = c.token(' ');
    if (!c.ok() || isCode(code, 'S', 'F'))
        return false;
    record.kind = TdfNone;
    record.text.clear();
    if (isCode(code, 'O', 'T')) {
        readElementEvent(c.rest(), record);
    } else if (isCode(code, 'N', 'O')) {
        readNote(c.rest(), record);
    } else if (isCode(code, 'C', 'S')) {
        record.kind = TdfCurrentFile;
        record.fileId = parseHex(c.rest());
    }
    return true;
}

/// True when every byte is below 0x80.
bool isAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

uint32_t parseTdfHex(const std::string &text)
{
    return parseHex(text);
}

std::optional<std::string> tdfField(const std::string &text, char separator, int n)
{
    const std::optional<std::string_view> field = fieldView(text, separator, n);
    if (!field)
        return std::nullopt;
    return std::string(*field);
}

std::string decodeTraceText(const std::string &text)
{
    // Quotes that no backslash escapes; the first four positions are kept.
    size_t quotes[4] = {0, 0, 0, 0};
    int quoteCount = 0;
    bool escaped = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            escaped = !escaped;
        } else if (c == '"') {
            if (!escaped) {
                if (quoteCount < 4)
                    quotes[quoteCount] = i;
                ++quoteCount;
            }
            escaped = false;
        } else {
            escaped = false;
        }
    }

    std::string narrow;
    if (quoteCount == 4) {
        // "<encoding>" "<message>": the name and the message each start with
        // their opening quote and end before their closing one.
        const std::string name = text.substr(quotes[0], quotes[1] - quotes[0]);
        const std::string_view message =
            std::string_view(text).substr(quotes[2], quotes[3] - quotes[2]);
        // Stateless: a sequence cut off at the end of the message is converted
        // (to a replacement character), not held back for more input.
        QStringDecoder decoder(name.c_str(), QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            decoder = QStringDecoder(QStringConverter::System, QStringConverter::Flag::Stateless);
        const QString unicode = decoder(QByteArrayView(message.data(), qsizetype(message.size())));
        narrow = toLocal8(unicode);
    } else if (isAscii(text)) {
        // ASCII reads the same as UTF-8 and writes back unchanged.
        narrow = text;
    } else {
        narrow = toLocal8(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }

    // One leading and one trailing quote go.
    std::string_view body(narrow);
    if (!body.empty() && body.front() == '"')
        body.remove_prefix(1);
    if (!body.empty() && body.back() == '"')
        body.remove_suffix(1);

    std::string out;
    out.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        // A backslash at the very end escapes nothing and gives nothing.
        if (i + 1 == body.size())
            break;
        const char next = body[++i];
        switch (next) {
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'f': out.push_back('\f'); break;
        default:
            // Octal only when the two characters after the first digit are in the text.
            if (next >= '0' && next <= '7' && i + 2 < body.size()) {
                const unsigned v = unsigned(next - '0') * 64u
                                   + unsigned(static_cast<unsigned char>(body[i + 1]) - '0') * 8u
                                   + unsigned(static_cast<unsigned char>(body[i + 2]) - '0');
                out.push_back(char(v & 0xFFu));
                i += 2;
            } else {
                out.push_back(next);
            }
        }
    }
    // The text is a C string: a NUL, decoded or escaped, ends it.
    const size_t nul = out.find('\0');
    if (nul != std::string::npos)
        out.resize(nul);
    return out;
}

TdfRecord readTdfRecord(InStream &in)
{
    TdfRecord record;
    std::string line;
    readRecordInto(in, record, line);
    return record;
}

namespace {

/// Traces of at least this size are lexed on a second thread.
constexpr off_t ConcurrentTraceBytes = off_t(1) << 20;

/// Records of the trace in reading order, as the lexing hands them to the
/// tree: compact, with the texts of "NO" records and the checksums of "SF"
/// records kept beside them.
struct TdfBatch {
    /// One record; `value` is the element id, or the file id of "SF"/"CS".
    struct Event {
        uint8_t kind;
        uint8_t verdict; ///< 0 to 3, or 4 for any other verdict
        uint32_t value;
    };
    /// Records per batch, and bytes of texts after which a batch is handed on.
    static constexpr size_t Events = 4096;
    static constexpr size_t TextBytes = size_t(1) << 20;

    std::vector<Event> events;
    std::string texts;               ///< texts of the "NO" records, one after the other
    std::vector<size_t> textLengths; ///< one per "NO" record
    std::vector<uint32_t> checksums; ///< two per "SF" record
    bool last = false;               ///< the stream ends after this batch

    void clear()
    {
        events.clear();
        texts.clear();
        textLengths.clear();
        checksums.clear();
        last = false;
    }
    bool full() const { return events.size() >= Events || texts.size() >= TextBytes; }
};

/// Reads records from the stream into the batch until it is full or the
/// stream ends; `record` and `line` are reused working buffers.
void lexTdfBatch(InStream &in, TdfBatch &batch, TdfRecord &record, std::string &line)
{
    batch.clear();
    batch.events.reserve(TdfBatch::Events);
    while (!batch.full()) {
        if (in.atEnd()) {
            batch.last = true;
            return;
        }
        // Plain events, nearly every line, straight from the buffer; most
        // other records from their buffered line; the rest from the stream.
        if (const size_t used = readPlainEvent(in.buffered(), false, record)) {
            in.skip(used);
        } else {
            std::string_view text;
            size_t lineLength = 0;
            if (in.peekLine(text, lineLength) && readRecordFromLine(text, record))
                in.skip(lineLength);
            else
                readRecordInto(in, record, line);
        }
        TdfBatch::Event e{uint8_t(record.kind), 0, record.elementId};
        switch (record.kind) {
        case TdfVerdict:
            e.verdict = record.verdict >= 0 && record.verdict <= 3 ? uint8_t(record.verdict) : 4;
            break;
        case TdfSourceFile:
            e.value = record.fileId;
            batch.checksums.push_back(record.checksum1);
            batch.checksums.push_back(record.checksum2);
            break;
        case TdfCurrentFile:
            e.value = record.fileId;
            break;
        case TdfNote:
            batch.texts += record.text;
            batch.textLengths.push_back(record.text.size());
            break;
        case TdfHit:
            break;
        default:
            continue; // nothing to apply
        }
        batch.events.push_back(e);
    }
}

/// The tree side of the reader: applies batches of records in order.
class TdfApplier {
public:
    explicit TdfApplier(TestTree &tree) : tree_(tree) {}

    void apply(const TdfBatch &batch)
    {
        size_t text = 0;     // next text in batch.texts
        size_t textItem = 0; // its entry in batch.textLengths
        size_t checksum = 0;
        const TdfBatch::Event *events = batch.events.data();
        const size_t count = batch.events.size();
        for (size_t i = 0; i < count;) {
            // Runs of plain events on the current file are taken in steps: the
            // elements are looked up and asked into the cache first, then the
            // events applied in order, so that waiting for one element's
            // memory overlaps waiting for the others.
            if (currentFile_ >= 0 && events[i].kind >= TdfHit && events[i].kind <= TdfVerdict) {
                size_t n = 0;
                while (n < Step && i + n < count && events[i + n].kind >= TdfHit &&
                       events[i + n].kind <= TdfVerdict) {
                    TestNode *node = elementOf(events[i + n].value);
                    if (node) {
                        __builtin_prefetch(reinterpret_cast<const char *>(node));
                        __builtin_prefetch(reinterpret_cast<const char *>(node) + 64);
                    }
                    nodes_[n++] = node;
                }
                for (size_t k = 0; k < n; ++k)
                    if (nodes_[k] && nodes_[k]->verdictAnchor)
                        __builtin_prefetch(nodes_[k]->verdictAnchor->counters);
                for (size_t k = 0; k < n; ++k) {
                    const TdfBatch::Event &e = events[i + k];
                    if (e.kind == TdfHit) {
                        if (nodes_[k])
                            markHit(nodes_[k], Hit);
                        if (hasPending_)
                            tree_.attachTraceText(currentFile_, e.value, pending_);
                        dropPending();
                    } else if (nodes_[k] && e.verdict <= 3) {
                        markHit(nodes_[k], FailVerdict + e.verdict);
                    }
                }
                i += n;
                continue;
            }
            const TdfBatch::Event &e = events[i++];
            switch (e.kind) {
            case TdfSourceFile:
                tree_.bindTdfFile(e.value, batch.checksums[checksum], batch.checksums[checksum + 1]);
                checksum += 2;
                currentFile_ = tree_.fileIndexOfTdfId(e.value);
                dropPending();
                break;
            case TdfCurrentFile:
                currentFile_ = tree_.fileIndexOfTdfId(e.value);
                dropPending();
                break;
            case TdfHit:
                // No current file: the event and its text are lost.
                dropPending();
                break;
            case TdfNote: {
                const size_t length = batch.textLengths[textItem++];
                pending_.append(batch.texts, text, length);
                text += length;
                hasPending_ = true;
                break;
            }
            default:
                break;
            }
        }
    }

private:
    static constexpr size_t Step = 16;

    /// Forgets the pending text: attached, lost with its element, or dropped
    /// by a change of file.
    void dropPending()
    {
        pending_.clear(); // keeps its capacity for the next text
        hasPending_ = false;
    }

    /// The element of the id in the current file. Events come in runs on one
    /// element (reached, then its verdict, often in a loop): the element found
    /// last is kept. The read adds no node, so what the index gives for a
    /// pair cannot change meanwhile.
    TestNode *elementOf(uint32_t id)
    {
        if (currentFile_ != lastFile_ || id != lastId_) {
            lastNode_ = tree_.findNode(currentFile_, id);
            lastFile_ = currentFile_;
            lastId_ = id;
        }
        return lastNode_;
    }

    TestTree &tree_;
    int currentFile_ = -1;
    std::string pending_;
    bool hasPending_ = false;
    TestNode *lastNode_ = nullptr;
    int lastFile_ = -2;
    uint32_t lastId_ = 0;
    TestNode *nodes_[Step];
};

} // namespace

int readTdfStream(TestTree &tree, InStream &in, bool concurrent)
{
    TdfApplier applier(tree);
    TdfRecord record;
    std::string line;
    line.reserve(256);
    // With `concurrent`, the lexing touches only the stream (and the error
    // stream for refused numbers, in reading order); the tree is changed by
    // this thread alone.
    runPipeline<TdfBatch>(
        concurrent, [&](TdfBatch &batch) { lexTdfBatch(in, batch, record, line); },
        [&](const TdfBatch &batch) { applier.apply(batch); });
    return in.failed() ? -1 : 0;
}

int readTdfFile(TestTree &tree, const std::string &path)
{
    InStream in;
    if (!in.open(path))
        return -1;
    // A second thread pays off only on a long trace.
    struct stat status;
    const bool longTrace = ::stat(path.c_str(), &status) == 0 && status.st_size >= ConcurrentTraceBytes;
    return readTdfStream(tree, in, longTrace);
}

} // namespace qv
