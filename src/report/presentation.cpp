#include "report/presentation.h"

#include "base/textconversion.h"

#include <QtGlobal>

namespace qv {

namespace {

const char* const TypeContext = "QUORVANEL OtsType";

/// The source texts of the display names, as translation looks them up,
/// indexed by kind value, 0 to 36; null for values without a kind.
const char* const DisplaySources[] = {
    nullptr,                                                         // 0
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Prologue"),              // 1
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Epilogue"),              // 2
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Expression"),      // 3
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Checksum"),              // 4
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Class"),                 // 5
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Method"),          // 6
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Comment"),               // 7
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Call"),                  // 8
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Stub"),            // 9
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Exception"),       // 10
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Property"),        // 11
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Post Condition"),        // 12
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Expression"),            // 13
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "# "),                    // 14
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Driver"),           // 15
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Invariant"),             // 16
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Proc"),                  // 17
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Print"),                 // 18
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Property"),              // 19
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Run Component"),         // 20
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Pre Condition"),         // 21
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Run"),                   // 22
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Stub"),                  // 23
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Single Class"),          // 24
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "State"),                 // 25
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Case"),             // 26
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Class"),            // 27
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Transition"),            // 28
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Suite"),            // 29
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Method Contract"),       // 30
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Observation State"),     // 31
    nullptr,                                                         // 32
    nullptr,                                                         // 33
    nullptr,                                                         // 34
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Compiler Version"), // 35
    QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Compilation Time"), // 36
};

constexpr int DisplaySourceCount = int(sizeof(DisplaySources) / sizeof(DisplaySources[0]));

} // namespace

const char* const KindDisplayContext = TypeContext;

const char* kindDisplaySource(ElementKind kind)
{
    const int value = int(kind);
    return value > 0 && value < DisplaySourceCount ? DisplaySources[value] : nullptr;
}

QString kindDisplayName(ElementKind kind)
{
    const char* source = kindDisplaySource(kind);
    if (!source)
        return QStringLiteral("-?\?-");
    return tr(TypeContext, source);
}

bool hasReportSection(ElementKind kind)
{
    switch (kind) {
    case ElementKind::TestDriver:
    case ElementKind::Proc:
    case ElementKind::Stub:
    case ElementKind::TestCase:
    case ElementKind::TestClass:
    case ElementKind::TestSuite: return true;
    default: return false;
    }
}

bool isSummedKind(ElementKind kind)
{
    switch (kind) {
    case ElementKind::Invariant:
    case ElementKind::Proc:
    case ElementKind::Stub:
    case ElementKind::State:
    case ElementKind::TestCase:
    case ElementKind::Transition:
    case ElementKind::MethodContract: return true;
    default: return false;
    }
}

} // namespace qv
