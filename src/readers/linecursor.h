#pragma once
// Token reading on one buffered line: the same results as the stream token
// readers (readToken, readTokenUntilEither, readUntilText, get) for tokens
// that end within the line, without reading byte by byte through the stream.
// A token that would run past the line end fails the cursor; the caller then
// reads the record again from the stream, where the token goes on into the
// next line as the byte readers define.

#include "readers/tokens.h"

#include <cstring>
#include <string>
#include <string_view>

namespace qv {

/// Sequential reader over the bytes of one line (its line end excluded).
class LineCursor {
public:
    /// Most characters a token keeps (as readToken).
    static constexpr size_t TokenLimit = qv::TokenLimit;

    explicit LineCursor(std::string_view line)
        : line_(line), hasNul_(std::memchr(line.data(), 0, line.size()) != nullptr)
    {}

    /// False once a token ran past the end of the line.
    bool ok() const { return ok_; }
    /// True when every byte of the line has been read.
    bool atEnd() const { return pos_ == line_.size(); }
    /// Bytes read so far.
    size_t position() const { return pos_; }

    /// Reads one byte; fails at the end of the line (the stream would give the newline).
    void skipOne()
    {
        if (pos_ == line_.size())
            ok_ = false;
        else
            ++pos_;
    }

    /// The token up to the first `first` or `second` (consumed, not kept), cut
    /// at a NUL and at TokenLimit characters as readToken cuts it.
    std::string_view token(char first, char second)
    {
        const size_t start = pos_;
        const char* p = line_.data();
        size_t i = start;
        while (i < line_.size() && p[i] != first && p[i] != second)
            ++i;
        if (i == line_.size()) {
            ok_ = false;
            return std::string_view();
        }
        pos_ = i + 1;
        return keptText(line_.substr(start, i - start));
    }
    /// The token up to `delimiter`.
    std::string_view token(char delimiter) { return token(delimiter, delimiter); }

    /// The rest of the line, cut at a NUL (as the trace reader keeps it).
    std::string_view rest()
    {
        std::string_view r = line_.substr(pos_);
        pos_ = line_.size();
        return hasNul_ ? cutAtNul(r) : r;
    }

    /// readUntilText on the line: the characters up to the first occurrence
    /// of the terminator, backslashes removing themselves; the result views
    /// the line or `out` (reused by the caller). `terminator` must not repeat its first
    /// character, so that restarting a broken match at that character finds
    /// every occurrence.
    std::string_view untilText(std::string_view terminator, size_t keepLimit, std::string& out)
    {
        const char* p = line_.data();
        const size_t size = line_.size();
        // The usual case: the terminator comes at its first character's first
        // occurrence, with no backslash before it; the text is then the bytes
        // in between, taken from the line itself.
        if (const void* at = std::memchr(p + pos_, terminator[0], size - pos_)) {
            const size_t q = size_t(static_cast<const char*>(at) - p);
            if (!std::memchr(p + pos_, '\\', q - pos_) && line_.substr(q, terminator.size()) == terminator &&
                q - pos_ + terminator.size() <= keepLimit) {
                const std::string_view text = line_.substr(pos_, q - pos_);
                pos_ = q + terminator.size();
                return hasNul_ ? cutAtNul(text) : text;
            }
        }
        out.clear();
        size_t matched = 0;
        size_t i = pos_;
        // Fast part: a run without backslash and without the terminator's first
        // character is kept as it is.
        while (i < size && p[i] != '\\' && p[i] != terminator[0])
            ++i;
        out.assign(p + pos_, i - pos_);
        for (;;) {
            if (i == size) {
                ok_ = false;
                return std::string_view();
            }
            char c = p[i++];
            if (c == '\\') {
                if (i == size) { // the escaped character would be the newline
                    ok_ = false;
                    return std::string_view();
                }
                c = p[i++];
            }
            if (out.size() < keepLimit)
                out.push_back(c);
            if (c == terminator[matched])
                ++matched;
            else
                matched = c == terminator[0] ? 1 : 0;
            if (matched == terminator.size())
                break;
        }
        pos_ = i;
        if (out.size() > keepLimit)
            out.resize(keepLimit);
        const size_t length = out.size() > terminator.size() ? out.size() - terminator.size() : 0;
        return hasNul_ ? cutAtNul(std::string_view(out.data(), length))
                       : std::string_view(out.data(), length);
    }

private:
    /// A token as readToken keeps it: up to a NUL, at most TokenLimit characters.
    std::string_view keptText(std::string_view t) const
    {
        if (hasNul_)
            t = cutAtNul(t);
        return t.size() > TokenLimit ? t.substr(0, TokenLimit) : t;
    }
    /// The text up to its first NUL, as a C string ends.
    static std::string_view cutAtNul(std::string_view t)
    {
        if (const void* nul = std::memchr(t.data(), 0, t.size()))
            t = t.substr(0, size_t(static_cast<const char*>(nul) - t.data()));
        return t;
    }

    std::string_view line_;
    bool hasNul_; ///< a NUL ends the text of the token it is in
    size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace qv
