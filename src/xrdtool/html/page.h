#pragma once
// One HTML page of the site: written through a buffer, its size counted, and
// the head and foot every page shares (style sheet and script from assets/,
// no inline script or style, nothing from another site).

#include <cstddef>
#include <cstdio>
#include <string>

namespace xrdtool {

/// Largest file of the site: a page that would grow past it continues on the next page.
constexpr std::size_t HtmlPageByteLimit = 2 * 1024 * 1024;
/// Most counted results on one page.
constexpr std::size_t HtmlPageResultLimit = 5000;
/// Most elements on one page: a browser's time to show a page follows its
/// element count (about 15-25 us each on a small machine), so that a page
/// of this many is ready within a second.
constexpr std::size_t HtmlPageElementLimit = 40000;

/// The number of elements that `html` opens: every '<' followed by a letter
/// (texts escape '<', so no other one starts a tag).
std::size_t countElements(const std::string& html);

/// A page file being written. Bytes are gathered and written in blocks; the
/// first failed write is remembered and reported by close().
class HtmlPage {
public:
    HtmlPage() = default;
    HtmlPage(const HtmlPage&) = delete;
    HtmlPage& operator=(const HtmlPage&) = delete;
    ~HtmlPage();

    /// Creates the file; false when it cannot be created.
    bool open(const std::string& path);
    /// Appends bytes.
    void write(const std::string& text);
    /// Bytes written since open().
    std::size_t size() const { return size_; }
    /// Flushes and closes; false when any write or the close failed.
    bool close();

private:
    void flush();

    std::FILE* file_ = nullptr;
    std::string buffer_;
    std::size_t size_ = 0;
    bool failed_ = false;
};

/// What the head of a page shows.
struct PageHead {
    /// The document's <title>.
    std::string title;
    /// "" for pages at the top of the site, "../" for pages under p/.
    std::string root;
    /// Class of <body>.
    std::string bodyClass;
};

/// Appends the doctype, the head (charset, content security policy, style
/// sheet, script) and the opening <body>.
void appendPageHead(std::string& out, const PageHead& head);

/// Appends the closing </body></html>.
void appendPageEnd(std::string& out);

/// What the pages of one continued series (a section's pages, the failures
/// pages) share at their top; texts are HTML, already escaped.
struct SeriesTop {
    /// The <title> and breadcrumb text of the series, without the page number.
    std::string title;
    /// "" for pages at the top of the site, "../" for pages under p/.
    std::string root;
    /// Class of <body>.
    std::string bodyClass;
    /// The report's title, the breadcrumbs' link to the index.
    std::string reportTitle;
    /// The inside of <h1>, without the page number.
    std::string heading;
    /// Breadcrumbs after the page number.
    std::string crumbsTail;
};

/// Appends the top of page `number` of a series: head, breadcrumbs, heading,
/// the link to the previous page, the tool bar's place and the opening <main>.
void appendSeriesTop(std::string& out, const SeriesTop& top, std::size_t number, const std::string& previous);

/// Appends the bottom of a page of a series: the closing </main>, the
/// previous/next links and the end of the page.
void appendSeriesEnd(std::string& out, const std::string& previous, const std::string& next);

/// Bytes that the previous/next links and appendPageEnd add at most for names of `nameBytes` bytes.
constexpr std::size_t pageTailReserve(std::size_t nameBytes)
{
    return 512 + 2 * nameBytes;
}

} // namespace xrdtool
