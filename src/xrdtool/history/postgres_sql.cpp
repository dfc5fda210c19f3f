#include "xrdtool/history/postgres_sql.h"

#include <algorithm>

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

void GatheredRows::add(const BulkInsert& insert, std::optional<std::int64_t> id,
                       const std::vector<std::string>& values, const std::vector<char>& nulls)
{
    const std::string target = insert.table + " (" + (id ? "id, " : "") + insert.columns + ")";
    auto found = std::find_if(batches_.begin(), batches_.end(),
                              [&target](const Batch& batch) { return batch.target == target; });
    if (found == batches_.end()) {
        batches_.push_back(Batch{target, insert.table, CopyRows()});
        found = batches_.end() - 1;
    }
    CopyRows& rows = found->rows;
    const std::size_t before = rows.data().size();
    rows.beginRow();
    if (id)
        rows.value(std::to_string(*id));
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (nulls[i])
            rows.null();
        else
            rows.value(values[i]);
    }
    rows.endRow();
    bytes_ += rows.data().size() - before;
}

bool GatheredRows::named(std::string_view sql) const
{
    const auto wordByte = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    for (const Batch& batch : batches_) {
        const std::string& table = batch.table;
        for (std::size_t at = sql.find(table); at != std::string_view::npos; at = sql.find(table, at + 1)) {
            const std::size_t end = at + table.size();
            if ((at == 0 || !wordByte(sql[at - 1])) && (end == sql.size() || !wordByte(sql[end])))
                return true;
        }
    }
    return false;
}

std::vector<GatheredRows::Batch> GatheredRows::take()
{
    std::vector<Batch> taken = std::move(batches_);
    batches_.clear();
    bytes_ = 0;
    return taken;
}

std::string oneLine(const char* message)
{
    std::string text = message ? message : "";
    const std::size_t end = text.find('\n');
    if (end != std::string::npos)
        text.erase(end);
    std::string out;
    for (const char c : text) {
        if (c == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out += c == '\t' ? ' ' : c;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    return out.empty() ? std::string("the server gave no reason") : out;
}

} // namespace xrdtool::history
