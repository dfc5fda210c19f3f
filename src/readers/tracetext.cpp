#include "readers/tdfrecord.h"

#include "base/textconversion.h"
#include "readers/namedencoding.h"

#include <string_view>

namespace qv {

namespace {

/// True when every byte is below 0x80.
bool isAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

std::string decodeTraceText(const std::string& text)
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
        const std::string_view message = std::string_view(text).substr(quotes[2], quotes[3] - quotes[2]);
        narrow = toLocal8(decodeInNamedEncoding(name, message));
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
                const unsigned v = unsigned(next - '0') * 64u +
                    unsigned(static_cast<unsigned char>(body[i + 1]) - '0') * 8u +
                    unsigned(static_cast<unsigned char>(body[i + 2]) - '0');
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

} // namespace qv
