// Loading of the message catalogues: the catalogue search (file candidates,
// locale name) and installing and removing the translators.
#include "base/catalog.h"
#include "base/product.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

/// Shows a Unicode text as UTF-8 in failure messages.
static void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

QString translate(const char* context, const char* source)
{
    return QCoreApplication::translate(context, source);
}

/// Sets or unsets environment variables for one test and restores them after it.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(std::vector<std::string> names)
    {
        for (auto& name : names) {
            const char* value = getenv(name.c_str());
            saved_.push_back({std::move(name), value ? std::optional<std::string>(value) : std::nullopt});
        }
    }
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(CatalogueInstallation, RemovingTheTranslatorsBringsEnglishBack)
{
    QTranslator translator;
    ASSERT_TRUE(translator.load(QStringLiteral("modbas_de"), QString::fromUtf8(QV_LOCALE_BUILD_DIR)));
    const char* source = "%1, permission denied;";
    ASSERT_TRUE(QCoreApplication::installTranslator(&translator));
    EXPECT_EQ(translate("QVN Error", source), QStringLiteral("%1, Zugriff verweigert;"));
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(translate("QVN Error", source), QString::fromUtf8(source));
}

TEST(CatalogueInstallation, GermanLocaleFindsTheLanguageCatalogues)
{
    EnvironmentGuard guard({"KESTRELONDIR", "LC_ALL", "LC_MESSAGES", "LANG"});
    QTemporaryDir install;
    ASSERT_TRUE(install.isValid());
    const QString localeDir = install.path() + QStringLiteral("/lib/locale");
    ASSERT_TRUE(QDir().mkpath(localeDir));
    for (const std::string& prefix : qv::cataloguePrefixes()) {
        const QString qm = QString::fromStdString(prefix + "de.qm");
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(QV_LOCALE_BUILD_DIR) + QLatin1Char('/') + qm,
                                localeDir + QLatin1Char('/') + qm));
    }
    setenv("KESTRELONDIR", install.path().toLocal8Bit().constData(), 1);
    // A usual locale value: territory and encoding are cut off by the search.
    setenv("LC_ALL", "de_DE.UTF-8", 1);

    QCoreApplication* app = QCoreApplication::instance();
    ASSERT_NE(app, nullptr);
    const QList<QTranslator*> before = app->findChildren<QTranslator*>();
    ASSERT_TRUE(qv::loadMessageCatalogues(*app, qv::cataloguePrefixes()));
    std::vector<QTranslator*> added;
    for (QTranslator* t : app->findChildren<QTranslator*>())
        if (!before.contains(t))
            added.push_back(t);

    EXPECT_EQ(added.size(), 3u);
    EXPECT_EQ(translate("KSTNIdent", qv::product::Reservation), QStringLiteral("Alle Rechte vorbehalten."));
    EXPECT_EQ(translate("QVN Error", "%1, write error."), QStringLiteral("%1, Schreibfehler."));
    EXPECT_EQ(translate("QUORVANEL", "32 bits number overflow"),
              QStringLiteral("Überlauf einer 32-Bit-Zahl"));

    for (QTranslator* t : added) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    EXPECT_EQ(translate("QVN Error", "%1, write error."), QStringLiteral("%1, write error."));
}

TEST(CatalogueSearch, CandidatesCutTheBaseNameAtItsLastDelimiter)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(qv::detail::catalogueCandidates("quorvanel_de_DE"),
              (V{"quorvanel_de_DE", "quorvanel_de_DE.qm", "quorvanel_de", "quorvanel_de.qm", "quorvanel",
                 "quorvanel.qm"}));
    EXPECT_EQ(qv::detail::catalogueCandidates("modbas_de_DE.UTF-8"),
              (V{"modbas_de_DE.UTF-8", "modbas_de_DE.UTF-8.qm", "modbas_de_DE", "modbas_de_DE.qm",
                 "modbas_de", "modbas_de.qm", "modbas", "modbas.qm"}));
    // The locale "C" of an unset environment falls back to the prefix alone.
    EXPECT_EQ(qv::detail::catalogueCandidates("kstnident_C"),
              (V{"kstnident_C", "kstnident_C.qm", "kstnident", "kstnident.qm"}));
    EXPECT_EQ(qv::detail::catalogueCandidates("plain"), (V{"plain", "plain.qm"}));
}

TEST(CatalogueSearch, LocaleNameTakesTheFirstSetVariable)
{
    EnvironmentGuard guard({"LC_ALL", "LC_MESSAGES", "LANG"});
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(qv::detail::localeName(), "C");

    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(qv::detail::localeName(), "de_DE.UTF-8");
    setenv("LC_MESSAGES", "pt_br", 1);
    EXPECT_EQ(qv::detail::localeName(), "pt_br");
    setenv("LC_ALL", "fr", 1);
    EXPECT_EQ(qv::detail::localeName(), "fr");

    // Empty values are skipped as if unset.
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(qv::detail::localeName(), "pt_br");
    setenv("LC_MESSAGES", "", 1);
    EXPECT_EQ(qv::detail::localeName(), "de_DE.UTF-8");
    setenv("LANG", "", 1);
    EXPECT_EQ(qv::detail::localeName(), "C");
}

} // namespace