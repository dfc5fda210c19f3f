#include "model/kinds.h"

#include "base/text.h"

#include <QtGlobal>

namespace qv {

namespace {

const char* const TypeContext = "QUORVANEL OtsType";

/// One row of the kind table: the record code and the display name
/// (source text for translation); null code for values without a kind.
struct KindRow {
    const char* code;
    const char* displayName;
};

/// Indexed by kind value, 0 to 36.
const KindRow KindTable[] = {
    {nullptr, nullptr},                                                      // 0
    {"CB", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Prologue")},              // 1
    {"CE", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Epilogue")},              // 2
    {"CH", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Expression")},      // 3
    {"CK", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Checksum")},              // 4
    {"CL", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Class")},                 // 5
    {"CM", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Method")},          // 6
    {"CO", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Comment")},               // 7
    {"CP", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Call")},                  // 8
    {"CS", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Stub")},            // 9
    {"CX", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Exception")},       // 10
    {"CY", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Check Property")},        // 11
    {"EN", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Post Condition")},        // 12
    {"EX", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Expression")},            // 13
    {"NC", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "# ")},                    // 14
    {"OF", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Driver")},           // 15
    {"IV", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Invariant")},             // 16
    {"PC", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Proc")},                  // 17
    {"PR", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Print")},                 // 18
    {"PY", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Property")},              // 19
    {"RC", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Run Component")},         // 20
    {"RQ", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Pre Condition")},         // 21
    {"RU", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Run")},                   // 22
    {"SB", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Stub")},                  // 23
    {"SL", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Single Class")},          // 24
    {"ST", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "State")},                 // 25
    {"TC", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Case")},             // 26
    {"TL", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Class")},            // 27
    {"TR", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Transition")},            // 28
    {"TS", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Suite")},            // 29
    {"WR", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Method Contract")},       // 30
    {"OS", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Observation State")},     // 31
    {nullptr, nullptr},                                                      // 32
    {nullptr, nullptr},                                                      // 33
    {nullptr, nullptr},                                                      // 34
    {"VO", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Compiler Version")}, // 35
    {"DP", QT_TRANSLATE_NOOP("QUORVANEL OtsType", "Test Compilation Time")}, // 36
};

constexpr int KindTableSize = int(sizeof(KindTable) / sizeof(KindTable[0]));

/// The table row of a kind value, or null for a value without a kind.
const KindRow* rowOf(ElementKind element)
{
    const int kind = int(element);
    if (kind <= 0 || kind >= KindTableSize || !KindTable[kind].code)
        return nullptr;
    return &KindTable[kind];
}

} // namespace

namespace {

/// Kind of every pair of upper-case letters, built once from the table:
/// kindFromCode runs for every line of every OTS file.
struct CodeIndex {
    unsigned char kinds[26 * 26] = {};
    CodeIndex()
    {
        for (int kind = 1; kind < KindTableSize; ++kind)
            if (const char* c = KindTable[kind].code)
                kinds[(c[0] - 'A') * 26 + (c[1] - 'A')] = static_cast<unsigned char>(kind);
    }
};

} // namespace

ElementKind kindFromCode(std::string_view code)
{
    static const CodeIndex index;
    if (code.size() != 2 || code[0] < 'A' || code[0] > 'Z' || code[1] < 'A' || code[1] > 'Z')
        return ElementKind::NoKind;
    return ElementKind(index.kinds[(code[0] - 'A') * 26 + (code[1] - 'A')]);
}

const char* const KindDisplayContext = TypeContext;

const char* kindDisplaySource(ElementKind kind)
{
    const KindRow* row = rowOf(kind);
    return row ? row->displayName : nullptr;
}

QString kindDisplayName(ElementKind kind)
{
    const KindRow* row = rowOf(kind);
    if (!row)
        return QStringLiteral("-?\?-");
    return tr(TypeContext, row->displayName);
}

bool isNodeRecord(ElementKind kind)
{
    if (int(kind) < 1 || int(kind) > 31)
        return false;
    switch (kind) {
    case ElementKind::Checksum:
    case ElementKind::Call:
    case ElementKind::Nc:
    case ElementKind::TestDriver:
    case ElementKind::Property:
    case ElementKind::Run: return false;
    default: return true;
    }
}

bool isVerdictKind(ElementKind kind)
{
    switch (kind) {
    case ElementKind::CheckExpression:
    case ElementKind::CheckMethod:
    case ElementKind::Comment:
    case ElementKind::CheckStub:
    case ElementKind::CheckException:
    case ElementKind::CheckProperty:
    case ElementKind::PostCondition:
    case ElementKind::Invariant:
    case ElementKind::Print:
    case ElementKind::PreCondition:
    case ElementKind::State:
    case ElementKind::Transition:
    case ElementKind::ObservationState: return true;
    default: return false;
    }
}

bool mustBeReached(ElementKind kind)
{
    return kind == ElementKind::CheckStub || kind == ElementKind::Proc || kind == ElementKind::Stub ||
        kind == ElementKind::TestCase;
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
