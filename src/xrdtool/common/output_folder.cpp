#include "xrdtool/common/output_folder.h"

#include "xrdtool/common/output_file.h"
#include "xrdtool/common/umask_scope.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace xrdtool {

namespace fs = std::filesystem;

namespace {

void removeTree(const std::string& path)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

std::string systemReason()
{
    return std::strerror(errno);
}

} // namespace

OutputFolder::~OutputFolder()
{
    if (!temp_.empty())
        removeTree(temp_);
}

Result<void> OutputFolder::start(const std::string& target)
{
    Result<std::string> temp = makeTempBeside(target, true);
    if (!temp)
        return error(mode_ == Mode::Whole ? "cannot create a folder beside it (" + temp.error().reason + ")"
                                          : "cannot write (" + temp.error().reason + ")");
    temp_ = *temp;
    // mkdtemp makes a private folder; an output is for others to read.
    grantUmaskPermissions(temp_, true);
    return {};
}

Result<void> OutputFolder::startWhole(const std::string& target, const WholeFolder& whole)
{
    mode_ = Mode::Whole;
    whole_ = whole;
    target_ = target;
    path_ = target;
    while (path_.size() > 1 && path_.back() == '/')
        path_.pop_back();
    if (const std::optional<std::string> problem = wholeTargetProblem())
        return error(*problem);
    return start(path_);
}

Result<void> OutputFolder::startMatching(const std::string& target, const std::string& prefix,
                                         const std::string& suffix)
{
    mode_ = Mode::Matching;
    prefix_ = prefix;
    suffix_ = suffix;
    target_ = target;
    path_ = target;
    return start(path_);
}

Result<void> OutputFolder::addFolder(const std::string& name)
{
    if (mkdir((temp_ + "/" + name).c_str(), 0777) != 0)
        return error("cannot create a folder beside it (" + systemReason() + ")");
    return {};
}

Result<void> OutputFolder::commit()
{
    return mode_ == Mode::Whole ? commitWhole() : commitMatching();
}

std::optional<std::string> OutputFolder::wholeTargetProblem() const
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path_, error);
    if (status.type() == fs::file_type::not_found)
        return std::nullopt;
    if (error)
        return error.message();
    if (status.type() != fs::file_type::directory)
        return "exists and is not a folder";
    if (fs::is_empty(path_, error) || fs::exists(fs::path(path_) / whole_.marker, error))
        return std::nullopt;
    return "is a folder that holds other files than a " + whole_.what + " of " + whole_.writer;
}

Result<void> OutputFolder::commitWhole()
{
    if (const std::optional<std::string> problem = wholeTargetProblem())
        return error(*problem);
    const std::string intoPlace = "cannot rename the new " + whole_.what + " into place (";
    std::error_code ec;
    // An empty folder or no folder: one rename puts the output in place.
    if (!fs::exists(path_, ec) || fs::is_empty(path_, ec)) {
        if (std::rename(temp_.c_str(), path_.c_str()) != 0)
            return error(intoPlace + systemReason() + ")");
        temp_.clear();
        return {};
    }
    // An earlier output: moved aside, replaced, then removed; put back on failure.
    const std::string aside = "cannot move the earlier " + whole_.what + " aside (";
    Result<std::string> old = makeTempBeside(path_, true);
    if (!old)
        return error(aside + old.error().reason + ")");
    if (std::rename(path_.c_str(), old->c_str()) != 0) {
        const Error failed = error(aside + systemReason() + ")");
        removeTree(*old);
        return failed;
    }
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
        const Error failed = error(intoPlace + systemReason() + ")");
        std::rename(old->c_str(), path_.c_str());
        return failed;
    }
    temp_.clear();
    removeTree(*old);
    return {};
}

/// Moves the files of the finished folder into place. An earlier run's
/// matching files are removed first: a CI server reading the folder must not
/// see suites of a run that is gone.
Result<void> OutputFolder::commitMatching()
{
    const auto cannotWrite = [this](const std::string& reason) {
        return error("cannot write (" + reason + ")");
    };
    struct stat info;
    if (stat(path_.c_str(), &info) != 0) {
        if (std::rename(temp_.c_str(), path_.c_str()) != 0)
            return cannotWrite(systemReason());
        temp_.clear();
        return {};
    }
    if (!S_ISDIR(info.st_mode))
        return cannotWrite("not a folder");
    if (DIR* dir = opendir(path_.c_str())) {
        while (dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name.size() > prefix_.size() + suffix_.size() &&
                name.compare(0, prefix_.size(), prefix_) == 0 &&
                name.compare(name.size() - suffix_.size(), suffix_.size(), suffix_) == 0)
                unlink((path_ + "/" + name).c_str());
        }
        closedir(dir);
    }
    Result<void> moved;
    if (DIR* dir = opendir(temp_.c_str())) {
        while (dirent* item = readdir(dir)) {
            const std::string name = item->d_name;
            if (name == "." || name == "..")
                continue;
            if (std::rename((temp_ + "/" + name).c_str(), (path_ + "/" + name).c_str()) != 0 && moved)
                moved = cannotWrite(systemReason());
        }
        closedir(dir);
    }
    removeTree(temp_);
    temp_.clear();
    return moved;
}

} // namespace xrdtool
