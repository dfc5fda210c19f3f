#include "xrdtool/common/failure_message.h"

#include "xrdtool/common/result_text.h"
#include "xrdtool/common/utf8_text.h"

namespace xrdtool {

std::string failedRowMessage(const xrd::Row& row)
{
    for (const xrd::Cell& cell : row.cells) {
        std::string text = oneLine(cell.text);
        if (!text.empty())
            return text;
    }
    return std::string();
}

std::string failedWithoutRowsMessage(const xrd::Entry& entry)
{
    return oneLine(entry.type) + " " + oneLine(nameOrUnnamed(entry.name)) + " failed";
}

} // namespace xrdtool
