#pragma once
// Project and header information: the studio header file named by
// KSTN_STUDIO_HEADER_FILE and the line reader of the header text file.

#include <cstdio>
#include <optional>
#include <string>

namespace qv {

/// Shared line buffer of the two readers: 2048 bytes, at most 2046 characters a read.
struct LineBuffer {
    char data[2048];
};

/// Reads the next line of the stream into the buffer, cut at its last line feed,
/// then last tab, then last carriage return; null at end of file or without a stream.
const char *readHeaderLine(FILE *stream, LineBuffer &buffer);

/// The five project variables of the studio header file.
class StudioHeader {
public:
    StudioHeader() = default;
    ~StudioHeader();
    StudioHeader(const StudioHeader &) = delete;
    StudioHeader &operator=(const StudioHeader &) = delete;

    /// Reads the file named by KSTN_STUDIO_HEADER_FILE; 1 when it was opened, 0 otherwise.
    int loadStudioHeader(LineBuffer &buffer);
    /// Reads the variables from the named file (loadStudioHeader without the environment).
    int loadStudioHeaderFile(const char *path, LineBuffer &buffer);
    /// Closes the file and forgets every value.
    void releaseStudioHeader();

    /// Value of "$PROJECT_NAME".
    const std::optional<std::string> &projectName() const { return projectName_; }
    /// Project path joined with the project name and ".kvx", separators collapsed.
    const std::optional<std::string> &projectFilePath() const { return projectFilePath_; }
    /// Value of "$CONFIGURATION".
    const std::optional<std::string> &projectConfiguration() const { return configuration_; }
    /// Value of "$WORKSPACE_NAME".
    const std::optional<std::string> &workspaceName() const { return workspaceName_; }
    /// Value of "$NAME".
    const std::optional<std::string> &testNodeName() const { return testNodeName_; }

    /// The value of a variable line: text after the first "=", cut and trimmed; none without one.
    static std::optional<std::string> extractValue(const char *line);
    /// Path, backslash, name and ".kvx", every run of separators reduced to its first one.
    static std::optional<std::string> formProjectFilePath(const std::optional<std::string> &name,
                                                          const std::optional<std::string> &path);

private:
    FILE *file_ = nullptr;
    std::optional<std::string> projectName_;
    std::optional<std::string> projectFilePath_;
    std::optional<std::string> testNodeName_;
    std::optional<std::string> workspaceName_;
    std::optional<std::string> configuration_;
};

} // namespace qv
