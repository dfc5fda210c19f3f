#include "base/catalog.h"

#include "base/textconversion.h"

#include <QDir>
#include <QFileInfo>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace qv {

namespace {

/// A translator together with the catalogue bytes it reads from.
class OwnedTranslator : public QTranslator {
public:
    explicit OwnedTranslator(QByteArray data, QObject* parent) : QTranslator(parent), data_(std::move(data))
    {}
    bool loadData() { return load(reinterpret_cast<const uchar*>(data_.constData()), int(data_.size())); }

private:
    QByteArray data_;
};

bool isRegularFile(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool readWhole(const std::string& path, QByteArray& out)
{
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    QByteArray data;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        data.append(chunk, qsizetype(n));
    const bool ok = !ferror(f);
    fclose(f);
    if (ok)
        out = data;
    return ok;
}

} // namespace

const std::vector<std::string>& cataloguePrefixes()
{
    static const std::vector<std::string> prefixes{"kstnident_", "modbas_", "quorvanel_"};
    return prefixes;
}

std::string detail::localeName()
{
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(var);
        if (value && *value)
            return value;
    }
    return "C";
}

std::vector<std::string> detail::catalogueCandidates(const std::string& baseName)
{
    std::vector<std::string> names;
    std::string name = baseName;
    for (;;) {
        names.push_back(name);
        names.push_back(name + ".qm");
        const size_t cut = name.find_last_of("_.");
        if (cut == std::string::npos)
            break;
        name.resize(cut);
    }
    return names;
}

bool loadMessageCatalogues(QCoreApplication& app, const std::vector<std::string>& prefixes)
{
    const char* install = getenv("KESTRELONDIR");
    if (!install || !*install) {
        writeStderr("Fatal Error: please setup KESTRELONDIR environment variable.\n");
        return false;
    }
    const std::string separator = toLocal8(QString(QDir::separator()));
    const std::string localeDir = std::string(install) + separator + "lib" + separator + "locale";
    struct stat status;
    if (stat(localeDir.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        writeStderr("Fatal Error: directory doesn't exist '" + localeDir + "'\n");
        return false;
    }
    const std::string locale = detail::localeName();
    for (const std::string& prefix : prefixes) {
        for (const std::string& candidate : detail::catalogueCandidates(prefix + locale)) {
            const std::string path = localeDir + separator + candidate;
            if (!isRegularFile(path))
                continue;
            QByteArray data;
            if (!readWhole(path, data))
                continue;
            // The first readable file decides; if it is no catalogue the prefix is skipped.
            auto* translator = new OwnedTranslator(std::move(data), &app);
            if (translator->loadData())
                QCoreApplication::installTranslator(translator);
            else
                delete translator;
            break;
        }
    }
    return true;
}

} // namespace qv
