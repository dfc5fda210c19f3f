#include "xrdtool/junit/xml_escape.h"

#include "xrdtool/common/utf8_text.h"

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

} // namespace

void appendXml(std::string& out, const std::string& text, bool attribute)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size();) {
        // Plain printable ASCII, the bulk of every report, goes in whole runs.
        std::size_t run = i;
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
