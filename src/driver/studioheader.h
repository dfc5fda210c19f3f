#pragma once
// Project information: the studio header file named by KSTN_STUDIO_HEADER_FILE.
// Its lines are read as those of the header text file are (see headertext.h).

#include "driver/headertext.h"

#include <cstdio>
#include <optional>
#include <string>

namespace qv {

/// The five project variables of the studio header file.
class StudioHeader {
public:
    StudioHeader() = default;
    ~StudioHeader();
    StudioHeader(const StudioHeader&) = delete;
    StudioHeader& operator=(const StudioHeader&) = delete;

    /// Reads the file named by KSTN_STUDIO_HEADER_FILE; true when it was opened.
    bool loadStudioHeader(LineBuffer& buffer);
    /// Reads the variables from the named file (loadStudioHeader without the environment).
    bool loadStudioHeaderFile(const char* path, LineBuffer& buffer);
    /// Closes the file and forgets every value.
    void releaseStudioHeader();

    /// Value of "$PROJECT_NAME".
    const std::optional<std::string>& projectName() const { return projectName_; }
    /// Project path joined with the project name and ".kvx", separators collapsed.
    const std::optional<std::string>& projectFilePath() const { return projectFilePath_; }
    /// Value of "$CONFIGURATION".
    const std::optional<std::string>& projectConfiguration() const { return configuration_; }
    /// Value of "$WORKSPACE_NAME".
    const std::optional<std::string>& workspaceName() const { return workspaceName_; }
    /// Value of "$NAME".
    const std::optional<std::string>& testNodeName() const { return testNodeName_; }

    /// The values as the report shows them.
    ProjectInfo projectInfo() const
    {
        return ProjectInfo{projectName_, projectFilePath_, configuration_, workspaceName_, testNodeName_};
    }

    /// The value of a variable line: text after the first "=", cut and trimmed; none without one.
    static std::optional<std::string> extractValue(const char* line);
    /// Path, backslash, name and ".kvx", every run of separators reduced to its first one.
    static std::optional<std::string> formProjectFilePath(const std::optional<std::string>& name,
                                                          const std::optional<std::string>& path);

private:
    FILE* file_ = nullptr;
    std::optional<std::string> projectName_;
    std::optional<std::string> projectFilePath_;
    std::optional<std::string> testNodeName_;
    std::optional<std::string> workspaceName_;
    std::optional<std::string> configuration_;
};

} // namespace qv
