#include "xrdtool/common/result_text.h"

namespace xrdtool {

std::string nameOrUnnamed(const std::string& name)
{
    return name.empty() ? std::string("(unnamed)") : name;
}

} // namespace xrdtool
