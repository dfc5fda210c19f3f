#include "readers/recordcodes.h"

namespace qv {

namespace {

/// One record code and the kind it names.
struct CodeRow {
    const char* code;
    ElementKind kind;
};

/// Every record code of the OTS files.
const CodeRow Codes[] = {
    {"CB", ElementKind::Prologue},
    {"CE", ElementKind::Epilogue},
    {"CH", ElementKind::CheckExpression},
    {"CK", ElementKind::Checksum},
    {"CL", ElementKind::Class},
    {"CM", ElementKind::CheckMethod},
    {"CO", ElementKind::Comment},
    {"CP", ElementKind::Call},
    {"CS", ElementKind::CheckStub},
    {"CX", ElementKind::CheckException},
    {"CY", ElementKind::CheckProperty},
    {"EN", ElementKind::PostCondition},
    {"EX", ElementKind::Expression},
    {"NC", ElementKind::Nc},
    {"OF", ElementKind::TestDriver},
    {"IV", ElementKind::Invariant},
    {"PC", ElementKind::Proc},
    {"PR", ElementKind::Print},
    {"PY", ElementKind::Property},
    {"RC", ElementKind::RunComponent},
    {"RQ", ElementKind::PreCondition},
    {"RU", ElementKind::Run},
    {"SB", ElementKind::Stub},
    {"SL", ElementKind::SingleClass},
    {"ST", ElementKind::State},
    {"TC", ElementKind::TestCase},
    {"TL", ElementKind::TestClass},
    {"TR", ElementKind::Transition},
    {"TS", ElementKind::TestSuite},
    {"WR", ElementKind::MethodContract},
    {"OS", ElementKind::ObservationState},
    {"VO", ElementKind::TestCompilerVersion},
    {"DP", ElementKind::TestCompilationTime},
};

/// Kind of every pair of upper-case letters, built once from the table:
/// kindFromCode runs for every line of every OTS file.
struct CodeIndex {
    unsigned char kinds[26 * 26] = {};
    CodeIndex()
    {
        for (const CodeRow& row : Codes)
            kinds[(row.code[0] - 'A') * 26 + (row.code[1] - 'A')] = static_cast<unsigned char>(row.kind);
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

} // namespace qv
