#pragma once
// failures.html (continued as failures-2.html, ...): every failed result once,
// with its path and location, linking to its place on its section's page.

#include "xrdtool/html/paged_output.h"
#include "xrdtool/html/section.h"
#include "xrdtool/html/site.h"

#include <cstddef>
#include <string>
#include <vector>

namespace xrdtool {

/// Failed results shown on the index as well.
constexpr std::size_t HtmlIndexFailures = 100;

/// Writes the failures pages while the sections report their failed results,
/// and keeps the first ones for the index.
class FailurePages : public FailureSink, private PagedOutput::Frame {
public:
    /// The failures pages of `site`, at its top.
    explicit FailurePages(const Site& site);

    void failedResult(const xrd::Entry& entry, const std::string& href, const NamePath& path,
                      const history::ResultHistory* judged) override;
    /// Ends the last page (writes the only one, saying so, when nothing failed);
    /// false when a page could not be written.
    bool finish();
    /// The first failed results, as index list items.
    const std::vector<std::string>& first() const { return first_; }
    /// Number of failed results.
    std::size_t count() const { return count_; }

private:
    void pageTop(std::string& out, std::size_t number, const std::string& previous) override;
    void pageBottom(std::string& out, std::size_t number, const std::string& previous,
                    const std::string& next) override;

    const PathMap& paths_;
    /// The site's title when the failures pages began.
    std::string reportTitle_;
    PagedOutput pages_;
    std::vector<std::string> first_;
    std::size_t count_ = 0;
    std::string item_;
};

} // namespace xrdtool
