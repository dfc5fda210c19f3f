#pragma once
// A series of pages written one after the other, continued on the next page
// before one grows past its limits: a test driver's pages (NAME.html,
// NAME-p2.html, ... at 5,000 results, 2 MiB or 40,000 elements), the failures pages
// (failures.html, failures-2.html, ...) and the list of the sections
// (index.html, sections-2.html, ... at 1,000 rows). The owner of a series
// writes what opens and closes each page; the series decides where a page
// ends and names them.

#include "xrdtool/html/page.h"

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

namespace xrdtool {

/// The file names of a series' pages.
class PageNames {
public:
    /// `first`, then PREFIX + N + SUFFIX for page N ("failures.html", "failures-2.html", ...).
    PageNames(std::string first, std::string prefix, std::string suffix);
    /// STEM.html, then STEM-pN.html made unique among the site's `stems` like
    /// any other page (a section named like another's continued page must not
    /// take its file); `stem` is in `stems` already.
    PageNames(const std::string& stem, std::unordered_set<std::string>& stems);
    /// The name of page `number` (1 = the first).
    const std::string& operator()(std::size_t number);

private:
    std::vector<std::string> names_;
    std::string prefix_;
    std::string suffix_;
    /// Where names are made unique; null: plain numbers.
    std::unordered_set<std::string>* stems_ = nullptr;
};

/// When a page is full.
struct PageLimits {
    /// Most items (results, rows) on one page.
    std::size_t items;
    /// Most bytes in one page's file.
    std::size_t bytes;
    /// Most elements on one page (what a browser's time follows).
    std::size_t elements = static_cast<std::size_t>(-1);
};

/// A series of pages in one folder.
class PagedOutput {
public:
    /// What opens and closes each page; written by the owner of the series.
    class Frame {
    public:
        virtual ~Frame() = default;
        /// Appends the top of page `number`; `previous` names the page before (empty for the first).
        virtual void pageTop(std::string& out, std::size_t number, const std::string& previous) = 0;
        /// Appends the bottom of page `number`; `next` names the page after (empty for the last).
        virtual void pageBottom(std::string& out, std::size_t number, const std::string& previous,
                                const std::string& next) = 0;
    };

    /// Pages named by `names` in `folder` (which ends with "/"), within `limits`.
    PagedOutput(std::string folder, PageNames names, PageLimits limits, Frame& frame);

    /// Opens the first page, unless one is open.
    void start();
    /// Before `bytes` bytes and `elements` elements of one entry or item
    /// (`item`: one that counts toward the item limit) are added, with
    /// `reserve` bytes more that the page must keep for what closes it:
    /// continues on the next page when this one holds an entry already and the
    /// new one would not fit.
    void makeRoom(std::size_t bytes, bool item, std::size_t reserve, std::size_t elements = 0);
    /// Adds one entry or item, after makeRoom(); `elements`: its element
    /// count when the caller knows it (counted here otherwise).
    void add(const std::string& text, bool item, std::size_t elements = static_cast<std::size_t>(-1));
    /// Appends text that is no entry of its own (what closes or opens around entries).
    void write(const std::string& text);
    /// Closes the last page; false when a page could not be created or written.
    bool finish();
    /// True once a page could not be created or written.
    bool failed() const { return failed_; }
    /// The number of the current page (0 before start()).
    std::size_t pageNumber() const { return number_; }
    /// The file name of page `number`.
    const std::string& pageName(std::size_t number) { return names_(number); }

private:
    void openPage();
    void closePage(bool last);

    std::string folder_;
    PageNames names_;
    PageLimits limits_;
    Frame& frame_;
    HtmlPage page_;
    std::size_t number_ = 0;
    std::size_t items_ = 0;
    std::size_t elements_ = 0;
    bool hasEntry_ = false;
    bool failed_ = false;
};

} // namespace xrdtool
