// How the report presents element kinds: display names through the
// translation layer, and which kinds get an entry and carry the sum attribute.
#include "report/presentation.h"

#include "model/kindsets.h"

#include <QCoreApplication>
#include <QTranslator>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace qv;
using testkinds::holding;

TEST(KindNames, DisplayNamesOfTheTable)
{
    EXPECT_EQ(kindDisplayName(ElementKind::Nc), QStringLiteral("# "));
    EXPECT_EQ(kindDisplayName(ElementKind::Run), QStringLiteral("Run"));
    EXPECT_EQ(kindDisplayName(ElementKind::CheckExpression), QStringLiteral("Check Expression"));
    EXPECT_EQ(kindDisplayName(ElementKind::TestDriver), QStringLiteral("Test Driver"));
    EXPECT_EQ(kindDisplayName(ElementKind::ObservationState), QStringLiteral("Observation State"));
    EXPECT_EQ(kindDisplayName(ElementKind::TestCompilerVersion), QStringLiteral("Test Compiler Version"));
    EXPECT_EQ(kindDisplayName(ElementKind::TestCompilationTime), QStringLiteral("Test Compilation Time"));
    for (int k : {0, 32, 33, 34, 37, -1, 1000})
        EXPECT_EQ(kindDisplayName(ElementKind(k)), QStringLiteral("-?\?-")) << k;
}

/// Marks every text of the kinds' context, so that a test sees which texts
/// went through translation.
class MarkingTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char* = nullptr, int = -1) const override
    {
        if (std::string(context) == "QUORVANEL OtsType")
            return QStringLiteral("<%1>").arg(QString::fromUtf8(source));
        return QString();
    }
    bool isEmpty() const override { return false; }
};

TEST(KindNames, TranslatedUnderTheKindContextExceptTheUnknownMark)
{
    MarkingTranslator marking;
    ASSERT_TRUE(QCoreApplication::installTranslator(&marking));
    const QString prologue = kindDisplayName(ElementKind::Prologue);
    const QString nc = kindDisplayName(ElementKind::Nc);
    const QString unknown = kindDisplayName(ElementKind(33));
    const QString none = kindDisplayName(ElementKind::NoKind);
    QCoreApplication::removeTranslator(&marking);

    EXPECT_EQ(prologue, QStringLiteral("<Prologue>"));
    EXPECT_EQ(nc, QStringLiteral("<# >"));
    EXPECT_EQ(unknown, QStringLiteral("-?\?-"));
    EXPECT_EQ(none, QStringLiteral("-?\?-"));
}

TEST(KindPresentation, EntriesAndSums)
{
    EXPECT_EQ(holding(hasReportSection), (std::set<int>{15, 17, 23, 26, 27, 29}));
    EXPECT_EQ(holding(isSummedKind), (std::set<int>{16, 17, 23, 25, 26, 28, 30}));
}

} // namespace
