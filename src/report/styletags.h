#pragma once
// The one mapping from a StyleCode to its name in the document, and the
// styled tags made from it at compile time.
//
// A report writes millions of cells, so each styled tag must stay one copy of
// a literal-length text that the compiler inlines (a table of texts looked up
// at run time, or a tag put together from three copies, costs measurably
// more). The tags are therefore derived here, while compiling, from the one
// name table: the writer puts `styledTag<Tag, Style>`, whose length is a
// constant.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qv {

/// Look of a cell or a title.
enum class StyleCode : uint8_t { StyleTitle = 0, StylePlain = 1, StyleFailed = 2, StylePassed = 3 };

namespace styles {

/// A style's name in the document and whether a title carries it.
struct StyleName {
    std::string_view name; ///< empty for StylePlain: its cells are plain "Array"
    bool onTitles;         ///< titles are only marked with a verdict
};

/// The names by StyleCode value.
constexpr StyleName Names[] = {
    {"Title", false}, // StyleTitle
    {"", false},      // StylePlain
    {"Failed", true}, // StyleFailed
    {"Passed", true}, // StylePassed
};

/// The name of a style that is in the table.
constexpr std::string_view nameOf(StyleCode style)
{
    return Names[size_t(style)].name;
}
/// " " before a non-empty name, nothing before an empty one.
constexpr std::string_view blankBefore(std::string_view name)
{
    return name.empty() ? "" : " ";
}

/// Parts of a styled tag, joined in order (unused parts are empty).
using Parts = std::array<std::string_view, 4>;

/// Opening tag of a text cell: "<CELL_TEXT STYLE="Array Passed">".
struct TextCellOpen {
    /// The style of a value outside the table.
    static constexpr StyleCode Otherwise = StyleCode::StyleFailed;
    static constexpr Parts parts(StyleCode s)
    {
        return {"<CELL_TEXT STYLE=\"Array", blankBefore(nameOf(s)), nameOf(s), "\">"};
    }
};

/// Opening tag of a link cell: "<CELL STYLE="Array Passed">".
struct LinkCellOpen {
    static constexpr StyleCode Otherwise = StyleCode::StyleFailed;
    static constexpr Parts parts(StyleCode s)
    {
        return {"<CELL STYLE=\"Array", blankBefore(nameOf(s)), nameOf(s), "\">"};
    }
};

/// End of a title's open line after its style number: " Passed">" and the
/// line end, or only ">" and the line end for an unmarked style.
struct TitleStyleEnd {
    static constexpr StyleCode Otherwise = StyleCode::StylePlain;
    static constexpr Parts parts(StyleCode s)
    {
        const std::string_view name = Names[size_t(s)].onTitles ? nameOf(s) : std::string_view();
        return {blankBefore(name), name, "\">\n", ""};
    }
};

/// Bytes of fixed length, filled while compiling.
template <size_t N> struct FixedText {
    char bytes[N + 1] = {};
};

constexpr size_t totalSize(const Parts& parts)
{
    size_t n = 0;
    for (std::string_view p : parts)
        n += p.size();
    return n;
}

template <size_t N> constexpr FixedText<N> joined(const Parts& parts)
{
    FixedText<N> out;
    size_t i = 0;
    for (std::string_view p : parts)
        for (char c : p)
            out.bytes[i++] = c;
    return out;
}

/// Storage of one styled tag.
template <class Tag, StyleCode Style> struct Storage {
    static constexpr size_t Size = totalSize(Tag::parts(Style));
    static constexpr FixedText<Size> Text = joined<Size>(Tag::parts(Style));
};

} // namespace styles

/// The tag `Tag` (styles::TextCellOpen, LinkCellOpen, TitleStyleEnd) of a style in the table.
template <class Tag, StyleCode Style>
constexpr std::string_view styledTag{styles::Storage<Tag, Style>::Text.bytes,
                                     styles::Storage<Tag, Style>::Size};

/// The style whose tags a StyleCode gets: itself when it is in the table,
/// else the tag's `Otherwise` (cells read any other value as failed, titles as
/// unmarked).
template <class Tag> constexpr StyleCode styleInTable(StyleCode style)
{
    return size_t(style) < std::size(styles::Names) ? style : Tag::Otherwise;
}

} // namespace qv
