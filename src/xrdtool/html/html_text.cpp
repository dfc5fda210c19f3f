#include "xrdtool/html/html_text.h"

#include "xrdtool/common/utf8_text.h"

namespace xrdtool {

namespace {

const char Replacement[] = "\xEF\xBF\xBD";

} // namespace

void appendHtml(std::string& out, const std::string& text)
{
    std::size_t plain = 0; // start of the run of bytes copied as they are
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const char* ref = nullptr;
        std::size_t len = 1;
        switch (c) {
        case '&': ref = "&amp;"; break;
        case '<': ref = "&lt;"; break;
        case '>': ref = "&gt;"; break;
        case '"': ref = "&quot;"; break;
        case '\'': ref = "&#39;"; break;
        default:
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                ref = Replacement;
            } else if (c >= 0x80) {
                unsigned long code = 0;
                len = utf8Sequence(text, i, code);
                if (len == 0) {
                    ref = Replacement;
                    len = 1;
                }
            }
        }
        if (ref) {
            out.append(text, plain, i - plain);
            out += ref;
            plain = i + len;
        }
        i += len;
    }
    out.append(text, plain, std::string::npos);
}

void appendHtmlCut(std::string& out, const std::string& text, std::size_t omitted, std::size_t limit)
{
    if (text.size() <= limit && omitted == 0) {
        appendHtml(out, text);
        return;
    }
    const std::string kept = cutUtf8(text, limit);
    appendHtml(out, kept);
    out += "<span class=\"cut\">\xE2\x80\xA6 ";
    appendCount(out, text.size() - kept.size() + omitted);
    out += " more bytes not shown (the report keeps the whole text)</span>";
}

void appendHtmlName(std::string& out, const std::string& name, std::size_t limit)
{
    if (name.empty()) {
        out += "(unnamed)";
    } else if (name.size() <= limit) {
        appendHtml(out, name);
    } else {
        appendHtml(out, cutUtf8(name, limit));
        out += "\xE2\x80\xA6";
    }
}

std::string keptForDisplay(const std::string& text, std::size_t limit)
{
    return text.size() <= limit + 4 ? text : cutUtf8(text, limit + 4);
}

namespace detail {

void appendPathSeparator(std::string& out)
{
    out += " \xE2\x80\xBA ";
}

void appendPathGap(std::string& out, std::size_t levels)
{
    appendPathSeparator(out);
    appendLevelsGap(out, levels);
}

} // namespace detail

} // namespace xrdtool
