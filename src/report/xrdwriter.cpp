#include "report/xrdwriter.h"

#include "base/textconversion.h"
#include "model/tree.h"
#include "report/plaintext.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace qv {

namespace {

/// Output is collected in a block of this size and handed to the C stream whole.
constexpr size_t BlockSize = 1 << 18;

/// Translation context of the column titles of the result tables.
constexpr const char* CellTextContext = "QUORVANEL Cell text";

} // namespace

StyleCode statusStyle(NodeStatus status)
{
    switch (status) {
    case NodeStatus::Failed: return StyleCode::StyleFailed;
    case NodeStatus::Passed: return StyleCode::StylePassed;
    default: return StyleCode::StylePlain;
    }
}

const char* xrodStateWord(NodeStatus status)
{
    switch (status) {
    case NodeStatus::Failed: return "ko";
    case NodeStatus::Passed: return "ok";
    default: return "NE";
    }
}

XrdWriter::XrdWriter() : block_(new char[BlockSize])
{}

XrdWriter::~XrdWriter()
{
    close();
}

void XrdWriter::reset()
{
    used_ = 0;
    capacity_ = BlockSize;
    failed_ = false;
    memoryText_.clear();
    for (std::string& row : headerRows_)
        row.clear();
    translations_.clear();
}

const std::string& XrdWriter::translated(const char* context, const char* source)
{
    // A few dozen texts at most: a linear search beats hashing here.
    for (const Translation& t : translations_)
        if (t.source == source && t.context == context)
            return t.text;
    translations_.push_back({context, source, toUtf8(tr(context, source))});
    return translations_.back().text;
}

bool XrdWriter::open(const char* path)
{
    close();
    file_ = path ? std::fopen(path, "w") : nullptr;
    if (!file_)
        return false;
    memory_ = false;
    reset();
    return true;
}

void XrdWriter::openMemory()
{
    close();
    memory_ = true;
    reset();
}

bool XrdWriter::close()
{
    if (file_) {
        flush();
        if (std::fflush(file_) != 0)
            failed_ = true;
        if (std::fclose(file_) != 0)
            failed_ = true;
        file_ = nullptr;
        capacity_ = 0;
    }
    return !failed_;
}

const std::string& XrdWriter::buffer() const
{
    if (memory_)
        flush();
    return memoryText_;
}

void XrdWriter::flush() const
{
    if (used_ == 0)
        return;
    if (file_) {
        if (std::fwrite(block_.get(), 1, used_, file_) != used_)
            failed_ = true;
    } else if (memory_) {
        memoryText_.append(block_.get(), used_);
    }
    used_ = 0;
}

void XrdWriter::putLong(std::string_view s)
{
    // Without an open output everything written is dropped.
    if (capacity_ == 0)
        return;
    flush();
    if (s.size() <= capacity_) {
        std::memcpy(block_.get(), s.data(), s.size());
        used_ = s.size();
    } else if (file_) {
        if (std::fwrite(s.data(), 1, s.size(), file_) != s.size())
            failed_ = true;
    } else {
        memoryText_.append(s);
    }
}

void XrdWriter::putNumber(long long value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    put(std::string_view(digits, size_t(result.ptr - digits)));
}

void XrdWriter::writeTag(std::string_view name, bool closing)
{
    put(closing ? std::string_view("</") : std::string_view("<"));
    put(name);
    put(">\n");
}

void XrdWriter::writeEscaped(std::string_view text)
{
    if (isPlainText(text)) {
        put(text);
        return;
    }
    scratch_.clear();
    appendEscaped(scratch_, text);
    put(scratch_);
}

void XrdWriter::writeEscaped(const QString& text)
{
    writeEscaped(toUtf8(text));
}

void XrdWriter::writeTextCell(std::string_view text, StyleCode style)
{
    putStyled<styles::TextCellOpen>(style);
    writeEscaped(text);
    put("</CELL_TEXT>\n");
}

void XrdWriter::writeNumberCell(long long value, StyleCode style)
{
    // Digits and a sign are plain text: nothing to escape.
    putStyled<styles::TextCellOpen>(style);
    putNumber(value);
    put("</CELL_TEXT>\n");
}

void XrdWriter::writeLinkTarget(std::string_view path, int line)
{
    put("<LINK TARGET=\"");
    writeEscaped(path);
    put(" line ");
    putNumber(line);
    put("\">\n<TEXT>");
}

void XrdWriter::writeLinkCell(std::string_view text, StyleCode style, std::string_view path, int line)
{
    putStyled<styles::LinkCellOpen>(style);
    writeLinkTarget(path, line);
    writeEscaped(text);
    put("</TEXT>\n</LINK>\n</CELL>\n");
}

void XrdWriter::writeNodeOpen(std::string_view name, std::string_view type, const char* state, int sum,
                              NodeIcon icon)
{
    put("<XROD:NODE name=\"");
    writeEscaped(name);
    put("\" type=\"");
    writeEscaped(type);
    put("\" state=\"");
    if (state)
        put(state);
    put("\"");
    if (sum >= 1) {
        put(" sum=\"");
        putNumber(sum);
        put("\"");
    }
    switch (icon) {
    case NodeIcon::MethodIcon: put(" icone=\"method.xpm\">"); break;
    case NodeIcon::ClassIcon: put(" icone=\"class.xpm\">"); break;
    case NodeIcon::ScriptIcon: put(" icone=\"testscript.xpm\">"); break;
    default: put(">"); break;
    }
}

void XrdWriter::writeTitleOpen(int level, StyleCode style, int tag)
{
    put("<TITLE LEVEL=\"");
    putNumber(level);
    put("\" TAG=\"nodex");
    putNumber(tag);
    put("\" STYLE=\"Title");
    putNumber(std::min<long long>(static_cast<long long>(level) + 1, 5));
    putStyled<styles::TitleStyleEnd>(style);
}

void XrdWriter::writeTitle(std::string_view text, int level, StyleCode style, int tag)
{
    writeTitleOpen(level, style, tag);
    put("<TEXT>");
    writeEscaped(text);
    put("</TEXT>\n</TITLE>\n");
}

void XrdWriter::writeLinkTitle(std::string_view text, int level, StyleCode style, int tag,
                               std::string_view path, int line)
{
    writeTitleOpen(level, style, tag);
    writeLinkTarget(path, line);
    writeEscaped(text);
    put("</TEXT>\n</LINK>\n</TITLE>\n");
}

void XrdWriter::writeHeaderRow(StyleCode style, int withMethod)
{
    // Every results table starts with this row: its markup, translations
    // included, is made once per document (translators do not change while a
    // report is written). Cells read a style outside the table as one in
    // it, so the row is kept under that one.
    std::string& cached =
        headerRows_[size_t(styleInTable<styles::TextCellOpen>(style)) * 2 + (withMethod != 0)];
    if (!cached.empty()) {
        put(cached);
        return;
    }
    XrdWriter row;
    row.openMemory();
    row.writeTag("ROW", false);
    if (withMethod != 0)
        row.writeTextCell(toUtf8(tr(CellTextContext, "Method")), style);
    for (const char* label : {"Expression", "Status", "Executed", "Failed", "Passed"})
        row.writeTextCell(toUtf8(tr(CellTextContext, label)), style);
    row.writeTag("ROW", true);
    cached = row.buffer();
    put(cached);
}

} // namespace qv
