#include "xrdtool/junit/xml_escape.h"

#include "xrdtool/common/utf8_text.h"

#include <cstdint>
#include <cstring>

namespace xrdtool {

namespace {

const char Replacement[] = "\xEF\xBF\xBD";

/// The bytes that go into XML as they are: printable ASCII but the markup characters.
struct PlainBytes {
    bool plain[256] = {};
    PlainBytes()
    {
        for (int b = 0x20; b < 0x7F; ++b)
            plain[b] = b != '&' && b != '<' && b != '>' && b != '"';
    }
};
const PlainBytes PlainTable;

/// True when none of the 8 bytes of `w` needs a look: no control character,
/// no byte of 0x7F or above, none of & < > ". Most names and paths pass whole
/// words at a time.
inline bool plainWord(std::uint64_t w)
{
    constexpr std::uint64_t Ones = 0x0101010101010101ull, Highs = 0x8080808080808080ull;
    auto zeroByte = [](std::uint64_t v) { return (v - Ones) & ~v & Highs; };
    return !((w & Highs) | ((w - 0x20 * Ones) & ~w & Highs) | zeroByte(w ^ (0x7F * Ones)) |
             zeroByte(w ^ ('&' * Ones)) | zeroByte(w ^ ('<' * Ones)) | zeroByte(w ^ ('>' * Ones)) |
             zeroByte(w ^ ('"' * Ones)));
}

} // namespace

void appendXml(std::string& out, const std::string& text, bool attribute)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        // Plain printable ASCII, the bulk of every report, goes in whole runs.
        std::size_t run = i;
        for (std::uint64_t w; run + 8 <= text.size(); run += 8) {
            std::memcpy(&w, bytes + run, 8);
            if (!plainWord(w))
                break;
        }
        while (run < text.size() && PlainTable.plain[bytes[run]])
            ++run;
        if (run > i) {
            out.append(text, i, run - i);
            i = run;
            continue;
        }
        const char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            ++i;
            continue;
        case '<':
            out += "&lt;";
            ++i;
            continue;
        case '>':
            out += "&gt;";
            ++i;
            continue;
        case '"':
            out += attribute ? "&quot;" : "\"";
            ++i;
            continue;
        case '\n':
            out += attribute ? "&#10;" : "\n";
            ++i;
            continue;
        case '\r':
            out += "&#13;"; // a raw CR would be read back as a line feed
            ++i;
            continue;
        case '\t':
            out += attribute ? "&#9;" : "\t";
            ++i;
            continue;
        default: break;
        }
        unsigned long code = 0;
        const std::size_t length = utf8Sequence(text, i, code);
        if (length == 0) {
            out += Replacement;
            ++i;
            continue;
        }
        if (code < 0x20 || code == 0xFFFE || code == 0xFFFF)
            out += Replacement;
        else
            out.append(text, i, length);
        i += length;
    }
}

} // namespace xrdtool
