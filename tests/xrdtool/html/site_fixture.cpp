#include "site_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace xrdtool::test {

ScratchDir::ScratchDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "xrdtool-html-test-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()))
        path_ = name.data();
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return bool(out);
}

xrd::Entry& Events::open(const std::string& name, const std::string& type, xrd::EntryState state,
                         bool counted)
{
    xrd::Entry entry;
    entry.name = name;
    entry.type = type;
    entry.state = state;
    entry.counted = counted;
    entry.depth = open_.size();
    if (!open_.empty())
        entry.parent = &open_.back();
    entry.location = xrd::Location{"tests/" + name + ".kts", long(open_.size() + 1)};
    open_.push_back(std::move(entry));
    handler_(open_.back(), true);
    return open_.back();
}

void Events::table(std::size_t rows, std::size_t cells, const std::string& text, bool failed)
{
    xrd::Table table;
    table.width = "40,15,15,15,15";
    for (std::size_t r = 0; r < rows; ++r) {
        xrd::Row row;
        row.failed = failed;
        for (std::size_t c = 0; c < cells; ++c) {
            xrd::Cell cell;
            cell.text = text;
            cell.style = failed ? "Array Failed" : "Array Passed";
            row.cells.push_back(std::move(cell));
        }
        table.rows.push_back(std::move(row));
    }
    open_.back().tables.push_back(std::move(table));
}

void Events::close()
{
    handler_(open_.back(), false);
    open_.pop_back();
}

void Events::result(const std::string& name, xrd::EntryState state)
{
    open(name, "Test Case", state, true);
    table(1, 5, name + " check", state == xrd::EntryState::Failed);
    close();
}

namespace {

/// The values of attribute `name` on every tag of the page, in order.
std::vector<std::string> attributeValues(const std::string& html, const std::string& name)
{
    std::vector<std::string> values;
    const std::string key = " " + name + "=\"";
    for (std::size_t at = html.find(key); at != std::string::npos; at = html.find(key, at + 1)) {
        const std::size_t begin = at + key.size();
        values.push_back(html.substr(begin, html.find('"', begin) - begin));
    }
    return values;
}

} // namespace

PageScan scanPage(const std::string& html)
{
    PageScan scan;
    for (const std::string& s : attributeValues(html, "data-status")) {
        ++scan.status[s];
        ++scan.results;
    }
    scan.ids = attributeValues(html, "id");
    scan.hrefs = attributeValues(html, "href");
    std::size_t depth = 0;
    for (std::size_t at = html.find("details"); at != std::string::npos; at = html.find("details", at + 1)) {
        if (at > 0 && html[at - 1] == '<')
            scan.maxNesting = std::max(scan.maxNesting, ++depth);
        else if (at > 1 && html[at - 1] == '/' && html[at - 2] == '<')
            --depth;
    }
    return scan;
}

std::size_t occurrences(const std::string& text, const std::string& needle)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size()))
        ++n;
    return n;
}

} // namespace xrdtool::test
