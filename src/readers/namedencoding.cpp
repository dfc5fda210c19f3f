#include "readers/namedencoding.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <unicode/ucnv.h>

#include <unordered_map>

namespace qv {

namespace {

/// The letters and digits of an encoding name, in lower case: what two
/// names must share to name the same encoding.
std::string matchKey(std::string_view name)
{
    std::string key;
    key.reserve(name.size());
    for (const char c : name) {
        if (c >= 'A' && c <= 'Z')
            key.push_back(char(c - 'A' + 'a'));
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            key.push_back(c);
    }
    return key;
}

/// Every name and alias the conversion library lists, by match key. Where
/// two listed names share a key, the first in the library's order is kept;
/// such names are the same alias listed under several converters, and the
/// library resolves it to its own choice when it is opened.
const std::unordered_map<std::string, std::string>& listedNames()
{
    static const std::unordered_map<std::string, std::string> names = [] {
        std::unordered_map<std::string, std::string> table;
        const int32_t converters = ucnv_countAvailable();
        for (int32_t i = 0; i < converters; ++i) {
            const char* converter = ucnv_getAvailableName(i);
            if (!converter)
                continue;
            table.emplace(matchKey(converter), converter);
            UErrorCode status = U_ZERO_ERROR;
            const uint16_t aliases = ucnv_countAliases(converter, &status);
            for (uint16_t a = 0; U_SUCCESS(status) && a < aliases; ++a) {
                const char* alias = ucnv_getAlias(converter, a, &status);
                if (alias && U_SUCCESS(status))
                    table.emplace(matchKey(alias), alias);
            }
        }
        table.erase(std::string()); // a name without letters or digits names nothing
        return table;
    }();
    return names;
}

} // namespace

std::optional<std::string> detail::listedEncodingName(std::string_view name)
{
    const std::unordered_map<std::string, std::string>& names = listedNames();
    const auto found = names.find(matchKey(name));
    if (found == names.end())
        return std::nullopt;
    return found->second;
}

QString decodeInNamedEncoding(std::string_view name, std::string_view bytes)
{
    // Stateless: the toolkit's own converters turn a sequence cut off at the
    // end of the message into a replacement character instead of holding it
    // back for more input. (The library's converters, reached through the
    // toolkit, still drop such a tail, as they always have.)
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    // Names of the toolkit's own converters (UTF-8, UTF-16 and UTF-32 in their
    // byte orders, ISO-8859-1/Latin-1) decode with them, as they always have:
    // their UTF-8 gives one replacement character per byte of an invalid
    // sequence, where the library's gives one per sequence. The match key has
    // only letters and digits, which the toolkit's own matching compares too.
    if (const std::optional<QStringConverter::Encoding> own =
            QStringConverter::encodingForName(matchKey(name).c_str())) {
        decoder = QStringDecoder(*own, QStringConverter::Flag::Stateless);
    } else if (const std::optional<std::string> listed = detail::listedEncodingName(name)) {
        QStringDecoder named(listed->c_str(), QStringConverter::Flag::Stateless);
        if (named.isValid())
            decoder = std::move(named);
    }
    return decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

} // namespace qv
