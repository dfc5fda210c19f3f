#include "driver/studioheader.h"

#include "driver/headertext.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

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

std::optional<ProjectInfo> readStudioHeader(const char* path)
{
    if (!path)
        return std::nullopt;
    const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "rb"), std::fclose);
    if (!file)
        return std::nullopt;
    // A directory opens on this platform but cannot be read as a file.
    struct stat status;
    if (fstat(fileno(file.get()), &status) != 0 || S_ISDIR(status.st_mode))
        return std::nullopt;

    ProjectInfo project;
    LineBuffer buffer;
    bool seen[VariableCount] = {};
    int seenCount = 0;
    while (seenCount < VariableCount) {
        const char* line = readHeaderLine(file.get(), buffer);
        if (!line)
            break;
        const int variable = findVariable(line);
        // The first line of each keyword decides, even when it gives no value.
        if (variable < 0 || seen[variable])
            continue;
        seen[variable] = true;
        ++seenCount;
        std::optional<std::string> value = detail::extractValue(line);
        switch (variable) {
        case ProjectName: project.projectName = std::move(value); break;
        case ProjectPath:
            project.projectFilePath = detail::formProjectFilePath(project.projectName, value);
            break;
        case Name: project.testNodeName = std::move(value); break;
        case Configuration: project.configuration = std::move(value); break;
        case WorkspaceName: project.workspaceName = std::move(value); break;
        default: break;
        }
    }
    return project;
}

std::optional<std::string> detail::extractValue(const char* line)
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

std::optional<std::string> detail::formProjectFilePath(const std::optional<std::string>& name,
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
