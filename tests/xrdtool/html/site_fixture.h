#pragma once
// Helpers of the html tests: a scratch folder, hand-made reader events, and
// small scanners over the pages written.

#include "xrd/report.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace xrdtool::test {

/// A fresh folder under the system's temporary folder, removed at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

/// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);
/// Writes a file; false on failure.
bool writeFile(const std::string& path, const std::string& text);

/// Opens and closes entries as the reader would, with parent pointers and depths.
class Events {
public:
    using Handler = std::function<void(const xrd::Entry&, bool opened)>;
    explicit Events(Handler handler) : handler_(std::move(handler)) {}

    /// Opens an entry below the current one.
    xrd::Entry& open(const std::string& name, const std::string& type, xrd::EntryState state, bool counted);
    /// Gives the current entry a table of `rows` rows of `cells` cells holding `text`.
    void table(std::size_t rows, std::size_t cells, const std::string& text, bool failed = false);
    /// Closes the current entry.
    void close();
    /// A counted leaf: open, one results row, close.
    void result(const std::string& name, xrd::EntryState state);

private:
    Handler handler_;
    std::deque<xrd::Entry> open_;
};

/// Counts of a page: data-status values, deepest <details>, ids, the files it links.
struct PageScan {
    std::map<std::string, std::size_t> status;
    std::size_t results = 0;
    std::size_t maxNesting = 0;
    std::vector<std::string> ids;
    std::vector<std::string> hrefs;
};

/// Scans a page written by the site writer.
PageScan scanPage(const std::string& html);

/// Number of times `needle` occurs in `text`.
std::size_t occurrences(const std::string& text, const std::string& needle);

} // namespace xrdtool::test
