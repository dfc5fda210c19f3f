#include "xrdtool/junit/classname.h"

#include "xrdtool/common/count_text.h"
#include "xrdtool/common/result_text.h"

#include <algorithm>

namespace xrdtool {

namespace {

/// The length of the longest start of `text` [0, size) of at most `limit` bytes
/// that ends on a UTF-8 character boundary.
std::size_t cutLength(const std::string& text, std::size_t size, std::size_t limit)
{
    if (size <= limit)
        return size;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return end;
}

} // namespace

void ClassnamePath::start(const std::string& prefix, const std::string& suiteName)
{
    joined_ = prefix;
    ends_.clear();
    append(suiteName);
}

void ClassnamePath::push(const std::string& name)
{
    joined_ += '.';
    append(name);
}

void ClassnamePath::pop()
{
    if (ends_.size() <= 1)
        return;
    ends_.pop_back();
    joined_.resize(ends_.back());
}

void ClassnamePath::append(const std::string& name)
{
    const std::size_t from = joined_.size();
    joined_ += name.empty() ? nameOrUnnamed(name) : name;
    for (std::size_t i = from; i < joined_.size(); ++i) {
        if (joined_[i] == '.')
            joined_[i] = '_';
    }
    ends_.push_back(joined_.size());
}

const std::string& ClassnamePath::classname()
{
    const std::size_t n = ends_.size();
    if (n <= ClassnameHead + ClassnameTail + 2) {
        if (joined_.size() <= ClassnameLimit)
            return joined_;
        bounded_.assign(joined_, 0, cutLength(joined_, joined_.size(), ClassnameLimit));
        return bounded_;
    }
    bounded_.assign(joined_, 0, ends_[ClassnameHead - 1]);
    bounded_ += '.';
    appendLevelsGap(bounded_, n - ClassnameHead - ClassnameTail);
    // From the "." before the first of the last names.
    const std::size_t tail = ends_[n - ClassnameTail - 1];
    if (bounded_.size() < ClassnameLimit)
        bounded_.append(joined_, tail, std::min(joined_.size() - tail, ClassnameLimit));
    bounded_.resize(cutLength(bounded_, bounded_.size(), ClassnameLimit));
    return bounded_;
}

} // namespace xrdtool
