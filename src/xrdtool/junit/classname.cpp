#include "xrdtool/junit/classname.h"

#include "xrdtool/common/count_text.h"
#include "xrdtool/common/result_text.h"

#include <algorithm>
#include <cstring>

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

std::uint64_t ClassnamePath::hashPiece(std::uint64_t hash, const char* data, std::size_t size)
{
    std::uint64_t h = (hash ^ size) * 0xFF51AFD7ED558CCDull;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        h = (h ^ word) * 0xC4CEB9FE1A85EC53ull;
        h ^= h >> 32;
    }
    if (i < size) {
        std::uint64_t word = 0;
        std::memcpy(&word, data + i, size - i);
        h = (h ^ word) * 0xC4CEB9FE1A85EC53ull;
    }
    return h ^ (h >> 29);
}

std::uint64_t ClassnamePath::boundedHash() const
{
    std::uint64_t hash = HashStart;
    std::size_t from = 0;
    for (std::size_t at = std::min(prefixSize_, bounded_.size());; ++at) {
        at = bounded_.find('.', at);
        const std::size_t end = at == std::string::npos ? bounded_.size() : at;
        hash = hashPiece(hash, bounded_.data() + from, end - from);
        if (at == std::string::npos)
            return hash;
        from = at + 1;
    }
}

void ClassnamePath::start(const std::string& prefix, const std::string& suiteName)
{
    joined_.clear();
    ends_.clear();
    hashes_.clear();
    joined_ = prefix;
    prefixSize_ = prefix.size();
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
    hashes_.pop_back();
    joined_.resize(ends_.back());
}

void ClassnamePath::append(const std::string& name)
{
    const std::size_t from = joined_.size();
    joined_ += nameOrUnnamed(name);
    char* end = &joined_[0] + joined_.size();
    for (char* dot = &joined_[0] + from;
         (dot = static_cast<char*>(std::memchr(dot, '.', std::size_t(end - dot))));)
        *dot = '_';
    // The name is one piece (the first with the prefix before it).
    const std::size_t piece = ends_.empty() ? 0 : from;
    hashes_.push_back(hashPiece(hashes_.empty() ? HashStart : hashes_.back(), joined_.data() + piece,
                                joined_.size() - piece));
    ends_.push_back(joined_.size());
}

const std::string& ClassnamePath::classname()
{
    const std::size_t n = ends_.size();
    if (n <= ClassnameHead + ClassnameTail + 2) {
        if (joined_.size() <= ClassnameLimit) {
            hash_ = hashes_.back();
            return joined_;
        }
        bounded_.assign(joined_, 0, cutLength(joined_, joined_.size(), ClassnameLimit));
        hash_ = boundedHash();
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
    hash_ = boundedHash();
    return bounded_;
}

} // namespace xrdtool
