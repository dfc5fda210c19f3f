#include "xrdtool/history/store_name.h"

#include <cctype>
#include <string_view>

namespace xrdtool::history {

namespace {

constexpr std::string_view Mask = "***";

/// Where the part after the scheme starts, or npos for a file path.
std::size_t afterScheme(const std::string& where)
{
    for (std::string_view scheme : {std::string_view("postgresql://"), std::string_view("postgres://")}) {
        if (where.compare(0, scheme.size(), scheme) == 0)
            return scheme.size();
    }
    return std::string::npos;
}

/// The places of the passwords in a URI: [begin, end) pairs, in order.
std::vector<std::pair<std::size_t, std::size_t>> passwordPlaces(const std::string& uri)
{
    std::vector<std::pair<std::size_t, std::size_t>> places;
    const std::size_t start = afterScheme(uri);
    if (start == std::string::npos)
        return places;
    const std::size_t query = uri.find('?', start);
    const std::size_t end = query == std::string::npos ? uri.size() : query;
    // The last '@' before the query ends the user part: a password with a
    // stray '@' or '/' is then masked whole rather than cut where it is read.
    const std::size_t at = uri.rfind('@', end == 0 ? 0 : end - 1);
    if (at != std::string::npos && at >= start) {
        const std::size_t colon = uri.find(':', start);
        if (colon != std::string::npos && colon < at)
            places.emplace_back(colon + 1, at);
    }
    if (query == std::string::npos)
        return places;
    std::size_t pair = query + 1;
    while (pair <= uri.size()) {
        std::size_t next = uri.find('&', pair);
        if (next == std::string::npos)
            next = uri.size();
        const std::size_t equals = uri.find('=', pair);
        if (equals != std::string::npos && equals < next && uri.compare(pair, equals - pair, "password") == 0)
            places.emplace_back(equals + 1, next);
        pair = next + 1;
    }
    return places;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string percentDecoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

bool isPostgresUri(const std::string& where)
{
    return afterScheme(where) != std::string::npos;
}

std::string maskedName(const std::string& where)
{
    std::string out = where;
    const auto places = passwordPlaces(where);
    // From the end, so that the earlier places stay where they were.
    for (auto place = places.rbegin(); place != places.rend(); ++place)
        out.replace(place->first, place->second - place->first, Mask);
    return out;
}

std::vector<std::string> passwordsIn(const std::string& where)
{
    std::vector<std::string> passwords;
    for (const auto& [begin, end] : passwordPlaces(where)) {
        const std::string raw = where.substr(begin, end - begin);
        passwords.push_back(raw);
        const std::string decoded = percentDecoded(raw);
        if (decoded != raw)
            passwords.push_back(decoded);
    }
    return passwords;
}

std::string scrubbed(std::string message, const std::vector<std::string>& passwords)
{
    for (const std::string& password : passwords) {
        if (password.size() < 3)
            continue;
        std::size_t at = 0;
        while ((at = message.find(password, at)) != std::string::npos) {
            message.replace(at, password.size(), Mask);
            at += Mask.size();
        }
    }
    return message;
}

} // namespace xrdtool::history
