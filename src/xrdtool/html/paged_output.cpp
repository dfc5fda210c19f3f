#include "xrdtool/html/paged_output.h"

#include "xrdtool/common/file_stem.h"

#include <utility>

namespace xrdtool {

PageNames::PageNames(std::string first, std::string prefix, std::string suffix)
    : names_{std::move(first)}, prefix_(std::move(prefix)), suffix_(std::move(suffix))
{}

PageNames::PageNames(const std::string& stem, std::unordered_set<std::string>& stems)
    : names_{stem + ".html"}, prefix_(stem + "-p"), suffix_(".html"), stems_(&stems)
{}

const std::string& PageNames::operator()(std::size_t number)
{
    while (names_.size() < number) {
        const std::string numbered = prefix_ + std::to_string(names_.size() + 1);
        names_.push_back((stems_ ? fileStem(numbered, *stems_) : numbered) + suffix_);
    }
    return names_[number - 1];
}

PagedOutput::PagedOutput(std::string folder, PageNames names, PageLimits limits, Frame& frame)
    : folder_(std::move(folder)), names_(std::move(names)), limits_(limits), frame_(frame)
{}

void PagedOutput::start()
{
    if (number_ == 0)
        openPage();
}

void PagedOutput::openPage()
{
    ++number_;
    items_ = 0;
    elements_ = 0;
    hasEntry_ = false;
    if (failed_)
        return;
    if (!page_.open(folder_ + pageName(number_))) {
        failed_ = true;
        return;
    }
    std::string top;
    frame_.pageTop(top, number_, number_ > 1 ? pageName(number_ - 1) : std::string());
    write(top);
}

void PagedOutput::closePage(bool last)
{
    if (failed_)
        return;
    std::string bottom;
    frame_.pageBottom(bottom, number_, number_ > 1 ? pageName(number_ - 1) : std::string(),
                      last ? std::string() : pageName(number_ + 1));
    page_.write(bottom);
    if (!page_.close())
        failed_ = true;
}

void PagedOutput::makeRoom(std::size_t bytes, bool item, std::size_t reserve, std::size_t elements)
{
    if (!hasEntry_)
        return;
    const bool full =
        page_.size() + bytes + reserve > limits_.bytes || elements_ + elements > limits_.elements;
    if (full || (item && items_ >= limits_.items)) {
        closePage(false);
        openPage();
    }
}

void PagedOutput::add(const std::string& text, bool item, std::size_t elements)
{
    if (!failed_)
        page_.write(text);
    elements_ += elements != static_cast<std::size_t>(-1) ? elements : countElements(text);
    hasEntry_ = true;
    if (item)
        ++items_;
}

void PagedOutput::write(const std::string& text)
{
    if (!failed_)
        page_.write(text);
    elements_ += countElements(text);
}

bool PagedOutput::finish()
{
    start();
    closePage(true);
    return !failed_;
}

} // namespace xrdtool
