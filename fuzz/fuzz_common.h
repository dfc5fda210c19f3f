#pragma once
// Helpers shared by the fuzz targets: the application object, input splitting,
// scratch files and the checks that end a run with a report.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv::fuzz {

/// Creates the one application object (translation needs it) and silences Qt's
/// own warnings; call from LLVMFuzzerInitialize.
void initApplication();

/// Splits the input at every occurrence of the separator line "\n@@@@\n".
std::vector<std::string_view> splitParts(const uint8_t* data, size_t size);

/// The separator between the parts of a fuzz input.
constexpr std::string_view PartSeparator = "\n@@@@\n";

/// A scratch file named after the process, removed when the object goes.
class ScratchFile {
public:
    /// Creates the scratch file `name` with the given bytes.
    ScratchFile(const char* name, std::string_view bytes);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    /// Full path of the file.
    const std::string& path() const { return path_; }
    /// The file's bytes now.
    std::string contents() const;

private:
    std::string path_;
};

/// Prints the message and aborts, so that libFuzzer records the input as a crash.
[[noreturn]] void fail(const char* what, std::string_view detail = {});

} // namespace qv::fuzz
