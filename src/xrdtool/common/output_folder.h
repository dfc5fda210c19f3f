#pragma once
// Output folders that appear whole or not at all: built under a temporary name
// beside the target and moved into place at the end, in one of two ways.

#include "xrdtool/common/error.h"

#include <optional>
#include <string>

namespace xrdtool {

/// How a folder replaced whole tells an earlier output of its own, and how
/// messages name it.
struct WholeFolder {
    /// The file that marks the folder as an output of ours (written by the caller).
    std::string marker;
    /// What the folder holds: "site" ("cannot rename the new site into place").
    std::string what;
    /// What writes it: "xrdtool html" ("... holds other files than a site of xrdtool html").
    std::string writer;
};

/// One output folder. The temporary folder is removed on every way out but a
/// successful commit().
class OutputFolder {
public:
    OutputFolder() = default;
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;
    ~OutputFolder();

    /// Starts a folder that replaces `target` whole: `target` must be missing, an
    /// empty folder or an earlier output of ours (it holds `whole.marker`).
    Result<void> startWhole(const std::string& target, const WholeFolder& whole);
    /// Starts a folder whose files go into `target`, which is made when missing:
    /// those of its files named PREFIX...SUFFIX (an earlier run's) are removed,
    /// every other file stays.
    Result<void> startMatching(const std::string& target, const std::string& prefix,
                               const std::string& suffix);
    /// The temporary folder to write into.
    const std::string& dir() const { return temp_; }
    /// Makes the folder `name` in the temporary folder.
    Result<void> addFolder(const std::string& name);
    /// Moves the output into place.
    Result<void> commit();

private:
    enum class Mode { Whole, Matching };
    Result<void> start(const std::string& target);
    /// Why the target cannot take a folder replaced whole, or nothing.
    std::optional<std::string> wholeTargetProblem() const;
    Result<void> commitWhole();
    Result<void> commitMatching();
    /// The error of the target with `reason`.
    Error error(const std::string& reason) const { return fileError(target_, reason); }

    Mode mode_ = Mode::Whole;
    WholeFolder whole_;
    std::string prefix_;
    std::string suffix_;
    /// The target as given (messages name it so), and without trailing slashes.
    std::string target_;
    std::string path_;
    std::string temp_;
};

} // namespace xrdtool
