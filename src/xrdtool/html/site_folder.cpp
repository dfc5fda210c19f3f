#include "xrdtool/html/site_folder.h"

#include "xrdtool/common/output_file.h"
#include "xrdtool/html/assets.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

namespace xrdtool {

namespace fs = std::filesystem;

namespace {

bool writeFile(const std::string& path, const char* text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const std::size_t size = std::strlen(text);
    const bool written = std::fwrite(text, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void removeTree(const std::string& path)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

} // namespace

std::string siteTargetProblem(const std::string& target)
{
    std::error_code error;
    const fs::file_status status = fs::symlink_status(target, error);
    if (status.type() == fs::file_type::not_found)
        return std::string();
    if (error)
        return error.message();
    if (status.type() != fs::file_type::directory)
        return "exists and is not a folder";
    if (fs::is_empty(target, error) || fs::exists(fs::path(target) / HtmlSiteMarker, error))
        return std::string();
    return "is a folder that holds other files than a site of xrdtool html";
}

SiteFolder::~SiteFolder()
{
    if (!temp_.empty())
        removeTree(temp_);
}

bool SiteFolder::prepare(const std::string& target, std::string& error)
{
    target_ = target;
    while (target_.size() > 1 && target_.back() == '/')
        target_.pop_back();
    error = siteTargetProblem(target_);
    if (!error.empty())
        return false;
    temp_ = makeTempBeside(target_, true);
    if (temp_.empty()) {
        error = std::string("cannot create a folder beside it (") + std::strerror(errno) + ")";
        return false;
    }
    // mkdtemp makes a private folder; a site is for others to read.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp_.c_str(), 0777 & ~mask);
    if (mkdir((temp_ + "/p").c_str(), 0777) != 0 || mkdir((temp_ + "/assets").c_str(), 0777) != 0) {
        error = std::string("cannot create a folder beside it (") + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool SiteFolder::commit(std::string& error)
{
    if (!writeFile(temp_ + "/assets/report.css", htmlReportCss()) ||
        !writeFile(temp_ + "/assets/report.js", htmlReportJs()) ||
        !writeFile(temp_ + "/" + HtmlSiteMarker,
                   "A site written by xrdtool html; the next run replaces this folder whole.\n")) {
        error = "write error";
        return false;
    }
    error = siteTargetProblem(target_);
    if (!error.empty())
        return false;
    std::error_code ec;
    // An empty folder or no folder: one rename puts the site in place.
    if (!fs::exists(target_, ec) || fs::is_empty(target_, ec)) {
        if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
            error = std::string("cannot rename the new site into place (") + std::strerror(errno) + ")";
            return false;
        }
        temp_.clear();
        return true;
    }
    // An earlier site: moved aside, replaced, then removed; put back on failure.
    const std::string old = makeTempBeside(target_, true);
    if (old.empty() || std::rename(target_.c_str(), old.c_str()) != 0) {
        error = std::string("cannot move the earlier site aside (") + std::strerror(errno) + ")";
        if (!old.empty())
            removeTree(old);
        return false;
    }
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
        error = std::string("cannot rename the new site into place (") + std::strerror(errno) + ")";
        std::rename(old.c_str(), target_.c_str());
        return false;
    }
    temp_.clear();
    removeTree(old);
    return true;
}

} // namespace xrdtool
