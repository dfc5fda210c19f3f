#include "xrdtool/html/page.h"

#include "xrdtool/html/html_text.h"

#include <cstring>
#include <string>

namespace xrdtool {

namespace {

constexpr std::size_t BlockSize = 256 * 1024;

/// Appends the previous/next links of a continued page; nothing when there is neither.
void appendPager(std::string& out, const std::string& previous, const std::string& next)
{
    if (previous.empty() && next.empty())
        return;
    out += "<nav class=\"pager\" aria-label=\"pages\">";
    if (!previous.empty()) {
        out += "<a rel=\"prev\" href=\"";
        appendHtml(out, previous);
        out += "\">\xE2\x86\x90 previous page</a>";
    }
    if (!next.empty()) {
        out += "<a rel=\"next\" href=\"";
        appendHtml(out, next);
        out += "\">next page \xE2\x86\x92</a>";
    }
    out += "</nav>\n";
}

} // namespace

std::size_t countElements(const std::string& html)
{
    std::size_t count = 0;
    const char* p = html.data();
    const char* const end = p + html.size();
    while (p != end) {
        const void* found = std::memchr(p, '<', std::size_t(end - p));
        if (!found)
            break;
        p = static_cast<const char*>(found) + 1;
        if (p != end && ((*p | 0x20) >= 'a' && (*p | 0x20) <= 'z'))
            ++count;
    }
    return count;
}

HtmlPage::~HtmlPage()
{
    if (file_)
        std::fclose(file_);
}

bool HtmlPage::open(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "wb");
    size_ = 0;
    failed_ = false;
    buffer_.clear();
    if (!file_)
        return false;
    // Blocks go to the system as they are: no second copy in the stream's buffer.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    buffer_.reserve(BlockSize + BlockSize / 2);
    return true;
}

void HtmlPage::write(const std::string& text)
{
    buffer_ += text;
    size_ += text.size();
    if (buffer_.size() >= BlockSize)
        flush();
}

void HtmlPage::flush()
{
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
        failed_ = true;
    buffer_.clear();
}

bool HtmlPage::close()
{
    if (!file_)
        return false;
    flush();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return closed && !failed_;
}

void appendPageHead(std::string& out, const PageHead& head)
{
    out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           // The policy the pages are built for, so that a browser proves it:
           // nothing inline, nothing from elsewhere.
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
           "style-src 'self'; script-src 'self'; img-src 'self'; base-uri 'none'; form-action 'none'\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    out += head.title;
    out += "</title>\n<link rel=\"stylesheet\" href=\"";
    out += head.root;
    out += "assets/report.css\">\n<script src=\"";
    out += head.root;
    out += "assets/report.js\" defer></script>\n</head>\n<body class=\"";
    out += head.bodyClass;
    out += "\">\n";
}

void appendSeriesTop(std::string& out, const SeriesTop& top, std::size_t number, const std::string& previous)
{
    const std::string page = number > 1 ? "page " + std::to_string(number) : std::string();
    PageHead head;
    head.title = top.title + (page.empty() ? "" : " (" + page + ")") + " \xE2\x80\x93 " + top.reportTitle;
    head.root = top.root;
    head.bodyClass = top.bodyClass;
    appendPageHead(out, head);
    out += "<nav class=\"crumbs\" aria-label=\"breadcrumbs\"><a href=\"" + top.root + "index.html\">" +
        top.reportTitle + "</a> \xE2\x80\xBA " + top.title;
    if (!page.empty())
        out += " \xE2\x80\xBA " + page;
    out += top.crumbsTail + "</nav>\n<h1>" + top.heading;
    if (!page.empty())
        out += " <span class=\"muted\">(" + page + ")</span>";
    out += "</h1>\n";
    appendPager(out, previous, std::string());
    out += "<div id=\"tools\"></div>\n<main>\n";
}

void appendSeriesEnd(std::string& out, const std::string& previous, const std::string& next)
{
    out += "</main>\n";
    appendPager(out, previous, next);
    appendPageEnd(out);
}

void appendPageEnd(std::string& out)
{
    out += "</body>\n</html>\n";
}

} // namespace xrdtool
