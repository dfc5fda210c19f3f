#pragma once
// failures.html (continued as failures-2.html, ...): every failed result once,
// with its path and location, linking to its place on its section's page.

#include "xrdtool/html/page.h"
#include "xrdtool/html/section.h"

#include <cstddef>
#include <string>
#include <vector>

namespace xrdtool {

class PathMap;

/// Failed results shown on the index as well.
constexpr std::size_t HtmlIndexFailures = 100;

/// Writes the failures pages while the sections report their failed results,
/// and keeps the first ones for the index.
class FailurePages : public FailureSink {
public:
    FailurePages(const std::string& dir, const std::string& reportTitle, const PathMap& paths);

    void failedResult(const xrd::Entry& entry, const std::string& href, const NamePath& path) override;
    /// Ends the last page (writes the only one, saying so, when nothing failed);
    /// false when a page could not be written.
    bool finish();
    /// The first failed results, as index list items.
    const std::vector<std::string>& first() const { return first_; }
    /// Number of failed results.
    std::size_t count() const { return count_; }

private:
    std::string pageName(std::size_t page) const;
    void openPage();
    void closePage(bool last);

    std::string dir_;
    std::string reportTitle_;
    const PathMap& paths_;
    std::vector<std::string> first_;
    std::size_t count_ = 0;
    HtmlPage page_;
    std::size_t pageNumber_ = 0;
    std::size_t pageItems_ = 0;
    bool failed_ = false;
    std::string item_;
};

} // namespace xrdtool
