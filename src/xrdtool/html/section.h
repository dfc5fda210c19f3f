#pragma once
// The pages of one test driver or of the contracts section: the entry tree as
// nested <details>, written while the report is read, continued on numbered
// pages before a page passes 2 MiB or 5,000 results, and flattened below
// depth 64.

#include "xrd/report.h"
#include "xrdtool/common/totals.h"
#include "xrdtool/html/entry.h"
#include "xrdtool/html/paged_output.h"
#include "xrdtool/html/site.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace xrdtool {

/// Deepest nesting of <details>; deeper entries are listed flat (browsers stop
/// nesting elements a few hundred levels down).
constexpr std::size_t HtmlMaxNesting = 64;
/// Most bytes of one entry's own tables: with its head, one result always fits
/// a page. The reader keeps no more of an entry's rows than this shows.
constexpr std::size_t HtmlEntryBudget = 1024 * 1024;

/// The names of the open entries of a section, outermost (the section's own
/// entry) first, kept in one block of bytes so a million levels stay cheap.
class NameStack {
public:
    /// Adds a name on top.
    void push(const std::string& name);
    /// Drops the top name.
    void pop();
    /// Number of names.
    std::size_t size() const { return ends_.size(); }
    /// The name at position i (0 = outermost).
    std::string operator[](std::size_t i) const;

private:
    std::string bytes_;
    std::vector<std::size_t> ends_;
};

/// The first `count` names of a stack: the path of an entry's enclosing entries.
struct NamePath {
    const NameStack& names;
    std::size_t count;
    /// Number of names on the path.
    std::size_t size() const { return count; }
    /// The name at position i (0 = the section's own entry).
    std::string operator[](std::size_t i) const { return names[i]; }
};

/// Told about each failed result once its page and anchor are known.
class FailureSink {
public:
    virtual ~FailureSink() = default;
    /// `href` is relative to the site's root ("p/NAME-p2.html#e17"); `path`
    /// names the section and the entries around the result; `judged` is what
    /// the history says of it (null without).
    virtual void failedResult(const xrd::Entry& entry, const std::string& href, const NamePath& path,
                              const history::ResultHistory* judged) = 0;
};

/// What the index shows of a section once its pages are written.
struct SectionSummary {
    /// The section entry's name and type, as long as they are shown.
    std::string name;
    std::string type;
    /// Its state as the report gives it.
    StatusLook look{};
    /// Its first page, relative to the site's root ("p/NAME.html").
    std::string href;
    /// Its results by status, and the number of its pages.
    Totals totals;
    std::size_t pages = 0;
};

/// Writes the pages of one section. Feed it the section's own entry, then every
/// entry inside it as the reader opens and closes them, then the section's
/// own close.
class SectionPages : private PagedOutput::Frame {
public:
    /// The pages of a section of `site`, telling `failures` of each failed result.
    SectionPages(Site& site, FailureSink& failures);

    /// Starts with the section's own entry (its name gives the pages' stem,
    /// unique in the site); false when the first page cannot be created.
    bool begin(const xrd::Entry& root);
    /// An entry inside the section was opened.
    void entryOpened(const xrd::Entry& entry);
    /// An entry inside the section, or the section's own entry (which finishes
    /// the last page), was closed.
    void entryClosed(const xrd::Entry& entry);
    /// True once a page could not be created or written.
    bool failed() const { return pages_ && pages_->failed(); }
    /// Depth of the section's own entry.
    std::size_t rootDepth() const { return rootDepth_; }
    /// The section as the index shows it.
    const SectionSummary& summary() const { return summary_; }

private:
    /// One open entry below the section's own one.
    struct Level {
        std::uint32_t id = 0;
        std::uint8_t rank = 0;
        bool written = false;
        bool flat = false;
    };

    /// Number of nested entries open on the page (written, not flat).
    std::size_t openWrappers() const;
    /// The series' top and bottom: heading, breadcrumbs, and the open entries
    /// around the next one reopened (closed again at the bottom).
    void pageTop(std::string& out, std::size_t number, const std::string& previous) override;
    void pageBottom(std::string& out, std::size_t number, const std::string& previous,
                    const std::string& next) override;
    void writeRootContent();
    void writeEntry(const xrd::Entry& entry, std::size_t index);

    Site& site_;
    /// The site's title when the section began.
    std::string reportTitle_;
    FailureSink& failures_;
    SectionSummary summary_;
    std::string stem_;
    std::optional<PagedOutput> pages_;

    const xrd::Entry* root_ = nullptr;
    bool rootWritten_ = false;
    std::size_t rootDepth_ = 0;
    std::vector<Level> levels_;
    NameStack names_;
    NameStack types_;
    std::uint32_t nextId_ = 1;
    std::string chunk_;
};

} // namespace xrdtool
