// Element kinds: record codes, fixed values, display names through the
// translation layer, and the classification predicates.
#include "model/kinds.h"

#include <QCoreApplication>
#include <QTranslator>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace qv;

/// Every code with the kind it names.
const struct {
    const char* code;
    int kind;
} kCodes[] = {
    {"CB", 1},  {"CE", 2},  {"CH", 3},  {"CK", 4},  {"CL", 5},  {"CM", 6},  {"CO", 7},
    {"CP", 8},  {"CS", 9},  {"CX", 10}, {"CY", 11}, {"EN", 12}, {"EX", 13}, {"NC", 14},
    {"OF", 15}, {"IV", 16}, {"PC", 17}, {"PR", 18}, {"PY", 19}, {"RC", 20}, {"RQ", 21},
    {"RU", 22}, {"SB", 23}, {"SL", 24}, {"ST", 25}, {"TC", 26}, {"TL", 27}, {"TR", 28},
    {"TS", 29}, {"WR", 30}, {"OS", 31}, {"VO", 35}, {"DP", 36},
};

TEST(KindCodes, EveryCodeNamesItsFixedValue)
{
    std::set<int> seen;
    for (const auto& c : kCodes) {
        EXPECT_EQ(int(kindFromCode(c.code)), c.kind) << c.code;
        seen.insert(c.kind);
    }
    EXPECT_EQ(seen.size(), 33u);
    EXPECT_EQ(seen.count(32) + seen.count(33) + seen.count(34), 0u);
    EXPECT_EQ(kindFromCode("DP"), ElementKind::TestCompilationTime);
    EXPECT_EQ(kindFromCode("VO"), ElementKind::TestCompilerVersion);
}

TEST(KindCodes, OnlyTheExactWholeTokenMatches)
{
    EXPECT_EQ(kindFromCode("cb"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("Cb"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("C"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode(""), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("CB "), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode(" CB"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("CBX"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode("XX"), ElementKind::NoKind);
    EXPECT_EQ(kindFromCode(std::string_view("CB\0", 3)), ElementKind::NoKind);
}

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

/// The kinds for which a predicate holds, over a range wider than the enumeration.
template <class P> std::set<int> holding(P predicate)
{
    std::set<int> kinds;
    for (int k = -5; k < 100; ++k)
        if (predicate(ElementKind(k)))
            kinds.insert(k);
    return kinds;
}

TEST(KindPredicates, ExactSets)
{
    std::set<int> nodeRecords;
    for (int k = 1; k <= 31; ++k)
        nodeRecords.insert(k);
    for (int k : {4, 8, 14, 15, 19, 22})
        nodeRecords.erase(k);
    EXPECT_EQ(holding(isNodeRecord), nodeRecords);
    EXPECT_EQ(holding(isVerdictKind), (std::set<int>{3, 6, 7, 9, 10, 11, 12, 16, 18, 21, 25, 28, 31}));
    EXPECT_EQ(holding(mustBeReached), (std::set<int>{9, 17, 23, 26}));
    EXPECT_EQ(holding(hasReportSection), (std::set<int>{15, 17, 23, 26, 27, 29}));
    EXPECT_EQ(holding(isSummedKind), (std::set<int>{16, 17, 23, 25, 26, 28, 30}));
}

} // namespace
