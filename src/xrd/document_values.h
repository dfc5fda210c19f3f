#pragma once
// What the reader does with the values it is handed, element after element:
// attribute texts turned back into what was written, cell styles told apart,
// and storage reused from one element to the next, so that a large report
// costs no allocation per cell or per entry. Internal to the reader library.

#include "xrd/report.h"

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace xrd::detail {

/// Longest cell or title text kept; the rest is counted in Cell::omitted.
constexpr std::size_t TextLimit = 1 << 20;

/// Sets `out` to an attribute's text `value`, or empties it when the attribute
/// is absent (null). Without entity substitution libxml2 hands out every "&" of an
/// attribute value as the reference "&#38;" (a literal "&#38;" comes as
/// "&#38;#38;"), so turning each one back gives the exact text. A text equal to
/// what `out` holds is not copied again: reused cells see the same styles row
/// after row.
inline void assignAttribute(std::string& out, const char* value)
{
    if (!value) {
        out.clear();
        return;
    }
    std::size_t size = 0;
    bool reference = false;
    for (char c; (c = value[size]) != '\0'; ++size)
        reference |= c == '&';
    if (!reference) {
        if (out.size() != size || std::memcmp(out.data(), value, size) != 0)
            out.assign(value, size);
        return;
    }
    out.clear();
    for (const char* from = value;;) {
        const char* at = std::strstr(from, "&#38;");
        if (!at) {
            out.append(from);
            return;
        }
        out.append(from, std::size_t(at - from));
        out += '&';
        from = at + 5;
    }
}

/// True when `text` is `literal` (its terminating null included); stops at
/// the first byte that differs, so `text` is never read past its end.
template <std::size_t N> inline bool equals(const char* text, const char (&literal)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (text[i] != literal[i])
            return false;
    }
    return true;
}

/// A cell style names a failure when it holds "Failed" ("Array Failed").
/// Every cell start asks: the styles quorvanel writes are told apart in place,
/// any other goes through the general search.
inline bool failedStyle(const char* style)
{
    if (equals(style, "Array Failed"))
        return true;
    if (equals(style, "Array Passed") || equals(style, "Array") || equals(style, "Array Title"))
        return false;
    for (const char* at = std::strchr(style, 'F'); at; at = std::strchr(at + 1, 'F')) {
        if (std::strncmp(at, "Failed", 6) == 0)
            return true;
    }
    return false;
}

/// The item at `index` of `items`, which holds `index` items or more: a spare
/// one (or a new one) when it holds just `index`.
template <typename T> inline T& slot(std::vector<T>& items, std::size_t index, std::vector<T>& spare)
{
    if (index == items.size()) {
        if (spare.empty()) {
            items.emplace_back();
        } else {
            items.push_back(std::move(spare.back()));
            spare.pop_back();
        }
    }
    return items[index];
}

/// Moves the items of `items` past the first `used` to `spare`, for later lists.
template <typename T> inline void trim(std::vector<T>& items, std::size_t used, std::vector<T>& spare)
{
    while (items.size() > used) {
        spare.push_back(std::move(items.back()));
        items.pop_back();
    }
}

/// Sets `slot` to `from`; a slot without a location takes the storage of
/// `spare` (most entries get one: no allocation per entry).
inline void assignLocation(std::optional<Location>& slot, const Location& from, std::string& spare)
{
    if (!slot) {
        slot.emplace();
        slot->path.swap(spare);
    }
    slot->path.assign(from.path);
    slot->line = from.line;
}

/// Empties `slot`, keeping its storage in `spare` for the next assignLocation.
inline void resetLocation(std::optional<Location>& slot, std::string& spare)
{
    if (!slot)
        return;
    if (slot->path.capacity() > spare.capacity())
        slot->path.swap(spare);
    slot.reset();
}

/// Appends up to the limit and counts what did not fit.
inline void appendLimited(std::string& text, std::size_t& omitted, const char* data, std::size_t size)
{
    const std::size_t room = text.size() < TextLimit ? TextLimit - text.size() : 0;
    const std::size_t take = size < room ? size : room;
    text.append(data, take);
    omitted += size - take;
}

} // namespace xrd::detail
