#include "base/files.h"

#include "base/textconversion.h"

#include <QFileInfo>
#include <sys/stat.h>

namespace qv {

std::string baseFileName(const std::string& path)
{
    return toLocal8(QFileInfo(fromLocal8(path)).fileName());
}

bool fileExists(const char* name)
{
    struct stat status;
    return name && stat(name, &status) == 0;
}

} // namespace qv
