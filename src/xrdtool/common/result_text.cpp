#include "xrdtool/common/result_text.h"

#include "xrdtool/common/utf8_text.h"

namespace xrdtool {

std::string nameOrUnnamed(const std::string& name)
{
    return name.empty() ? std::string("(unnamed)") : name;
}

std::string locationText(const std::optional<xrd::Location>& location, const PathMap& map)
{
    if (!location || location->path.empty())
        return std::string();
    return map.apply(location->path) + ":" + std::to_string(location->line);
}

std::string rowText(const xrd::Row& row, const PathMap& map)
{
    std::string cells;
    std::string where;
    for (std::size_t i = 0; i < row.cells.size(); ++i) {
        const xrd::Cell& cell = row.cells[i];
        if (i > 0)
            cells += " | ";
        cells += oneLine(cell.text);
        if (where.empty() && cell.link)
            where = locationText(cell.link, map);
    }
    return where.empty() ? cells : where + ": " + cells;
}

std::vector<const xrd::Row*> failedRows(const xrd::Entry& entry)
{
    std::vector<const xrd::Row*> rows;
    for (const xrd::Table& table : entry.tables) {
        for (const xrd::Row& row : table.rows) {
            if (row.failed)
                rows.push_back(&row);
        }
    }
    return rows;
}

} // namespace xrdtool
