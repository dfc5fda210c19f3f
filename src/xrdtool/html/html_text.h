#pragma once
// Text pieces of the HTML site: escaping, the cut of long texts and the short
// forms of names used in titles, breadcrumbs and written-out paths.

#include "xrdtool/common/count_text.h"

#include <cstddef>
#include <string>

namespace xrdtool {

/// Longest table cell, trace text or name written whole; longer ones are cut.
constexpr std::size_t HtmlCellLimit = 64 * 1024;
/// Longest name written in a page title, a breadcrumb or a written-out path.
constexpr std::size_t HtmlShortNameLimit = 200;

/// Appends `text` escaped for HTML text and attribute values: & < > " and '
/// become references; C0 controls other than tab, line feed and carriage
/// return, and bytes that are not UTF-8, become U+FFFD, so that the page stays
/// well-formed text whatever the report holds.
void appendHtml(std::string& out, const std::string& text);

/// Appends `text` escaped as appendHtml does, cut after `limit` bytes (at a
/// character boundary) and followed by a note with the number of bytes left
/// out when it is longer; `omitted` counts bytes the reader already left out.
void appendHtmlCut(std::string& out, const std::string& text, std::size_t omitted = 0,
                   std::size_t limit = HtmlCellLimit);

/// Appends the name escaped, "(unnamed)" when it is empty, cut to `limit` bytes
/// with an ellipsis when it is longer.
void appendHtmlName(std::string& out, const std::string& name, std::size_t limit);

/// The start of `text` that appendHtmlName(out, text, limit) needs: whole when
/// short, else a little more than `limit` bytes (so the ellipsis still shows).
/// Names kept for later (paths, page titles) are kept this way, so that a 100 MB
/// name costs no more than a short one.
std::string keptForDisplay(const std::string& text, std::size_t limit);

/// Appends the names of a path joined by " › " (each short-cut). A path of more
/// than a dozen names keeps its first four and its last six and says how many
/// levels lie between, so a result a million levels down still has a short
/// path. `Names` has size() and operator[] giving a std::string.
template <class Names> void appendHtmlPath(std::string& out, const Names& names);

namespace detail {
/// Appends the separator between two names of a path.
void appendPathSeparator(std::string& out);
/// Appends the note that stands for `levels` names left out of a path.
void appendPathGap(std::string& out, std::size_t levels);
} // namespace detail

template <class Names> void appendHtmlPath(std::string& out, const Names& names)
{
    constexpr std::size_t Head = 4, Tail = 6;
    const std::size_t n = names.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (n > Head + Tail + 2 && i == Head) {
            detail::appendPathGap(out, n - Head - Tail);
            i = n - Tail - 1;
            continue;
        }
        if (i > 0)
            detail::appendPathSeparator(out);
        appendHtmlName(out, names[i], HtmlShortNameLimit);
    }
}

} // namespace xrdtool
