#include "xrdtool/history/postgres_sql.h"

namespace xrdtool::history {

namespace {

/// Moves `at` past `word` (and the blanks before it) when `text` has it there.
bool skip(std::string_view text, std::size_t& at, std::string_view word)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (text.compare(at, word.size(), word) != 0)
        return false;
    at += word.size();
    return true;
}

} // namespace

std::string numberedPlaceholders(std::string_view sql, int& count)
{
    std::string out;
    out.reserve(sql.size() + 16);
    count = 0;
    char quote = 0;
    for (const char c : sql) {
        if (quote) {
            if (c == quote)
                quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$';
            out += std::to_string(++count);
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<BulkInsert> bulkInsert(std::string_view sql)
{
    std::size_t at = 0;
    if (!skip(sql, at, "INSERT INTO "))
        return std::nullopt;
    const std::size_t open = sql.find(" (", at);
    if (open == std::string_view::npos)
        return std::nullopt;
    BulkInsert insert;
    insert.table = std::string(sql.substr(at, open - at));
    if (insert.table.find_first_not_of("abcdefghijklmnopqrstuvwxyz_") != std::string::npos)
        return std::nullopt;
    const std::size_t close = sql.find(')', open);
    if (close == std::string_view::npos)
        return std::nullopt;
    insert.columns = std::string(sql.substr(open + 2, close - open - 2));
    at = close + 1;
    if (!skip(sql, at, "VALUES ("))
        return std::nullopt;
    // Bound values only: a default or an expression is not copied.
    for (bool first = true;; first = false) {
        if (!first && !skip(sql, at, ","))
            break;
        if (!skip(sql, at, "?"))
            return std::nullopt;
    }
    if (!skip(sql, at, ")"))
        return std::nullopt;
    if (skip(sql, at, "RETURNING id"))
        insert.numbered = true;
    if (at != sql.size())
        return std::nullopt;
    return insert;
}

void CopyRows::separate()
{
    if (!atStart_)
        data_ += '\t';
    atStart_ = false;
}

void CopyRows::value(std::string_view text)
{
    separate();
    for (const char c : text) {
        switch (c) {
        case '\\': data_ += "\\\\"; break;
        case '\t': data_ += "\\t"; break;
        case '\n': data_ += "\\n"; break;
        case '\r': data_ += "\\r"; break;
        default: data_ += c;
        }
    }
}

void CopyRows::null()
{
    separate();
    data_ += "\\N";
}

} // namespace xrdtool::history
