#pragma once
// The folder of a site: checked before anything is read, built under a
// temporary name beside it, and renamed into place whole at the end, so that a
// failed run leaves no partial site and an earlier site leaves no stale page.

#include <string>

namespace xrdtool {

/// The file that marks a folder as a site of ours (replaced whole on the next run).
constexpr const char* HtmlSiteMarker = ".xrdtool-html";

/// A site being built.
class SiteFolder {
public:
    SiteFolder() = default;
    SiteFolder(const SiteFolder&) = delete;
    SiteFolder& operator=(const SiteFolder&) = delete;
    /// Removes the temporary folder unless commit() succeeded.
    ~SiteFolder();

    /// Checks `target` (missing, an empty folder or an earlier site of ours) and
    /// makes the temporary folder with p/ and assets/ in it; false with the
    /// reason in `error` otherwise.
    bool prepare(const std::string& target, std::string& error);
    /// The temporary folder the pages go to.
    const std::string& dir() const { return temp_; }
    /// Writes the marker and the assets and moves the site into place, replacing
    /// an earlier one; false with the reason in `error`.
    bool commit(std::string& error);

private:
    std::string target_;
    std::string temp_;
};

/// Why `target` cannot take a site, or empty when it can.
std::string siteTargetProblem(const std::string& target);

} // namespace xrdtool
