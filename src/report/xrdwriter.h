#pragma once
// XML markup primitives of the XRD report: escaping, tags, cells, titles,
// links, browser entries and the document-wide tag counter.
//
// Every text handed to the writer is narrow text (bytes in the local 8-bit
// encoding, UTF-8 here); translated Unicode texts are converted once with
// toUtf8() before they are handed in. The output is UTF-8.

#include "model/tree.h"
#include "report/escape.h"
#include "report/styletags.h"

#include <QString>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace qv {

/// Icon attribute of a browser entry.
enum class NodeIcon : uint8_t { MethodIcon = 0, ClassIcon = 1, ScriptIcon = 2 };

/// Cell and title style of a status: Failed and Passed marked, the rest plain.
StyleCode statusStyle(NodeStatus status);
/// Browser-entry state word of a status: "ok", "ko" or "NE"; never translated.
const char* xrodStateWord(NodeStatus status);

/// The XRD output stream with the document's one tag counter. Output is
/// gathered in a fixed block and handed on (to the file, or to the memory
/// text) whenever the block is full; translated table titles are looked up
/// once per document.
class XrdWriter {
public:
    XrdWriter();
    ~XrdWriter();
    XrdWriter(const XrdWriter&) = delete;
    XrdWriter& operator=(const XrdWriter&) = delete;

    /// Creates or empties the file and opens it for writing; false when it cannot.
    bool open(const char* path);
    /// Writes into memory instead of a file (tests, fuzzing); see buffer().
    void openMemory();
    /// Flushes and closes the output; false when any write or the close failed.
    bool close();
    /// True once a write failed.
    bool failed() const { return failed_; }
    /// The text written so far when writing into memory (empty otherwise).
    const std::string& buffer() const;

    /// Returns the current tag number and raises the counter by one.
    int nextTag() { return tagCounter_++; }

    /// Writes markup unchanged.
    void writeRaw(std::string_view markup) { put(markup); }
    /// Writes "<name>\n", or "</name>\n" when closing.
    void writeTag(std::string_view name, bool closing);
    /// Writes the escaped text.
    void writeEscaped(std::string_view text);
    /// Writes the escaped text of a translated text.
    void writeEscaped(const QString& text);
    /// A text cell: open tag of the style, escaped text, "</CELL_TEXT>\n".
    void writeTextCell(std::string_view text, StyleCode style);
    /// A text cell holding a decimal number.
    void writeNumberCell(long long value, StyleCode style);
    /// A link cell whose target is the escaped path, " line " and the line number.
    void writeLinkCell(std::string_view text, StyleCode style, std::string_view path, int line);
    /// Opens a browser entry; the line is not ended after the final ">".
    void writeNodeOpen(std::string_view name, std::string_view type, const char* state, int sum,
                       NodeIcon icon);
    /// A title of the level, style and tag number.
    void writeTitle(std::string_view text, int level, StyleCode style, int tag);
    /// A title linked to a script line.
    void writeLinkTitle(std::string_view text, int level, StyleCode style, int tag, std::string_view path,
                        int line);
    /// The column-title row of the result tables, with or without the Method column.
    void writeHeaderRow(StyleCode style, int withMethod);

    /// The translation of `source` under `context` as UTF-8, looked up once
    /// per document: translators do not change while a report is written.
    /// Both texts are keyed by address, so they must be string literals (or
    /// outlive the document).
    const std::string& translated(const char* context, const char* source);

private:
    /// Appends bytes to the block; the common case is one copy.
    void put(std::string_view s)
    {
        if (s.size() <= capacity_ - used_) {
            // An empty view may carry no pointer at all, which memcpy must not see.
            if (!s.empty())
                std::memcpy(block_.get() + used_, s.data(), s.size());
            used_ += s.size();
        } else {
            putLong(s);
        }
    }
    void putLong(std::string_view s);
    void putNumber(long long value);
    /// Appends the tag `Tag` (see report/styletags.h) of the style: one copy
    /// of a text whose length the compiler knows.
    template <class Tag> void putStyled(StyleCode style)
    {
        // One case a style, so that each put sees a constant length. The
        // tag's Otherwise style has no case of its own: it shares the one
        // put of every value outside the table.
        switch (style) {
        case StyleCode::StyleTitle: return put(styledTag<Tag, StyleCode::StyleTitle>);
        case StyleCode::StylePlain: return put(styledTag<Tag, StyleCode::StylePlain>);
        case StyleCode::StylePassed: return put(styledTag<Tag, StyleCode::StylePassed>);
        case StyleCode::StyleFailed:
            if constexpr (Tag::Otherwise != StyleCode::StyleFailed)
                return put(styledTag<Tag, StyleCode::StyleFailed>);
            break;
        }
        put(styledTag<Tag, Tag::Otherwise>);
    }
    void writeTitleOpen(int level, StyleCode style, int tag);
    void writeLinkTarget(std::string_view path, int line);
    /// Hands the block to the file or to the memory text.
    void flush() const;
    /// Starts a new document: empty block, empty memory text, no cached words.
    void reset();

    FILE* file_ = nullptr;
    bool memory_ = false;
    mutable bool failed_ = false;
    // The block is handed on lazily, also by buffer(), hence mutable.
    std::unique_ptr<char[]> block_;
    mutable size_t used_ = 0;
    size_t capacity_ = 0; ///< 0 while no output is open: every write is dropped
    mutable std::string memoryText_;
    std::string scratch_;       ///< escaped text that needed more than a copy
    std::string headerRows_[8]; ///< writeHeaderRow by style and Method column
    /// Translations made for this document, by the addresses of their texts.
    struct Translation {
        const char* context;
        const char* source;
        std::string text;
    };
    std::deque<Translation> translations_; // stable: callers keep references
    int tagCounter_ = 1;
};

} // namespace qv
