#include "driver/studioheader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qv {

namespace {

/// The studio header variables, in the order in which a line is tested.
enum Variable : int { ProjectName, ProjectPath, Name, Configuration, WorkspaceName, VariableCount };

constexpr const char* Keywords[VariableCount] = {"$PROJECT_NAME", "$PROJECT_PATH", "$NAME", "$CONFIGURATION",
                                                 "$WORKSPACE_NAME"};

/// The first variable of the table whose keyword the line contains, or -1.
int findVariable(const char* line)
{
    for (int i = 0; i < VariableCount; ++i) {
        if (std::strstr(line, Keywords[i]))
            return i;
    }
    return -1;
}

inline bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

StudioHeader::~StudioHeader()
{
    releaseStudioHeader();
}

bool StudioHeader::loadStudioHeader(LineBuffer& buffer)
{
    releaseStudioHeader();
    const char* path = std::getenv("KSTN_STUDIO_HEADER_FILE");
    if (!path)
        return false;
    return loadStudioHeaderFile(path, buffer);
}

bool StudioHeader::loadStudioHeaderFile(const char* path, LineBuffer& buffer)
{
    releaseStudioHeader();
    if (!path)
        return false;
    file_ = std::fopen(path, "rb");
    if (!file_)
        return false;
    // A directory opens on this platform but cannot be read as a file.
    struct stat status;
    if (fstat(fileno(file_), &status) != 0 || S_ISDIR(status.st_mode)) {
        releaseStudioHeader();
        return false;
    }

    bool seen[VariableCount] = {};
    int seenCount = 0;
    while (seenCount < VariableCount) {
        const char* line = readHeaderLine(file_, buffer);
        if (!line)
            break;
        const int variable = findVariable(line);
        // The first line of each keyword decides, even when it gives no value.
        if (variable < 0 || seen[variable])
            continue;
        seen[variable] = true;
        ++seenCount;
        std::optional<std::string> value = extractValue(line);
        switch (variable) {
        case ProjectName: projectName_ = std::move(value); break;
        case ProjectPath: projectFilePath_ = formProjectFilePath(projectName_, value); break;
        case Name: testNodeName_ = std::move(value); break;
        case Configuration: configuration_ = std::move(value); break;
        case WorkspaceName: workspaceName_ = std::move(value); break;
        default: break;
        }
    }
    // Everything is read now; nothing reads the file later.
    std::fclose(file_);
    file_ = nullptr;
    return true;
}

void StudioHeader::releaseStudioHeader()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    projectName_.reset();
    projectFilePath_.reset();
    testNodeName_.reset();
    workspaceName_.reset();
    configuration_.reset();
}

std::optional<std::string> StudioHeader::extractValue(const char* line)
{
    const char* equals = line ? std::strchr(line, '=') : nullptr;
    if (!equals || equals[1] == '\0')
        return std::nullopt;
    std::string value(equals + 1);
    value.erase(std::min(value.find('\n'), value.size()));
    value.erase(std::min(value.find('\t'), value.size()));

    value.erase(std::min(value.find(';'), value.size()));
    if (!value.empty() && value.front() == '\'')
        value.erase(0, 1);
    if (!value.empty() && value.back() == '\'')
        value.pop_back();
    value.erase(0, std::min(value.find_first_not_of(' '), value.size()));
    const size_t last = value.find_last_not_of(' ');
    value.erase(last == std::string::npos ? 0 : last + 1);
    return value;
}

std::optional<std::string> StudioHeader::formProjectFilePath(const std::optional<std::string>& name,
                                                             const std::optional<std::string>& path)
{
    if (!name || !path)
        return std::nullopt;
    const std::string joined = *path + "\\" + *name + ".kvx";
    std::string result;
    result.reserve(joined.size());
    for (const char c : joined) {
        if (isSeparator(c) && !result.empty() && isSeparator(result.back()))
            continue;
        result += c;
    }
    return result;
}

} // namespace qv
