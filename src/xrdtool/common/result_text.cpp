#include "xrdtool/common/result_text.h"

namespace xrdtool {

const std::string& nameOrUnnamed(const std::string& name)
{
    static const std::string unnamed = "(unnamed)";
    return name.empty() ? unnamed : name;
}

} // namespace xrdtool
