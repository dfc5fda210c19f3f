// Fuzz target: the studio header reader.
//
// The input is a studio header file. It is loaded from a scratch file and every
// value checked against the extraction rules; the project file path is also
// formed from the first two lines of the input taken as a name and a path.

#include "fuzz_common.h"

#include "driver/studioheader.h"

#include <cstring>
#include <string>

using namespace qv;

namespace {

/// A studio header value: cut at line feed, tab and semicolon, no blank at either end.
void checkValue(const std::optional<std::string>& value)
{
    if (!value)
        return;
    const std::string& v = *value;
    if (v.find_first_of("\n\t;") != std::string::npos)
        fuzz::fail("a studio header value keeps a line feed, tab or semicolon", v);
    if (!v.empty() && (v.front() == ' ' || v.back() == ' '))
        fuzz::fail("a studio header value keeps a blank at an end", v);
}

/// Loads the file as the studio header and checks every value and the project file path.
void checkStudioHeader(const std::string& path)
{
    const std::optional<ProjectInfo> studio = readStudioHeader(path.c_str());
    if (!studio)
        fuzz::fail("a readable studio header file was not loaded");
    checkValue(studio->projectName);
    checkValue(studio->configuration);
    checkValue(studio->workspaceName);
    checkValue(studio->testNodeName);
    if (const auto& p = studio->projectFilePath) {
        if (!studio->projectName)
            fuzz::fail("a project file path without project name");
        if (p->size() < 4 || p->compare(p->size() - 4, 4, ".kvx") != 0)
            fuzz::fail("a project file path without .kvx", *p);
        for (size_t i = 1; i < p->size(); ++i) {
            const bool a = (*p)[i - 1] == '/' || (*p)[i - 1] == '\\';
            const bool b = (*p)[i] == '/' || (*p)[i] == '\\';
            if (a && b)
                fuzz::fail("a project file path with a run of separators", *p);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::initApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::ScratchFile file("studio.txt", bytes);
    checkStudioHeader(file.path());

    const size_t cut = bytes.find('\n');
    const std::string name = bytes.substr(0, cut);
    const std::string path = cut == std::string::npos ? std::string() : bytes.substr(cut + 1);
    const std::optional<std::string> joined = detail::formProjectFilePath(name, path);
    if (!joined || joined->size() > name.size() + path.size() + 5)
        fuzz::fail("formProjectFilePath lost or grew its parts");
    checkValue(detail::extractValue(bytes.c_str()));
    return 0;
}
