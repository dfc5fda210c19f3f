#pragma once
// Element kinds: the two-letter record codes of OTS files, the integer kind
// that each names, display names and the classification predicates.

#include <QString>
#include <cstdint>
#include <string_view>

namespace qv {

/// Kind of an element, numbered as the record-code table is (32 to 34 name
/// no kind; NoKind stands for a code outside the table).
enum class ElementKind : uint8_t {
    NoKind = 0,
    Prologue = 1,             ///< "CB"
    Epilogue = 2,             ///< "CE"
    CheckExpression = 3,      ///< "CH"
    Checksum = 4,             ///< "CK"
    Class = 5,                ///< "CL"
    CheckMethod = 6,          ///< "CM"
    Comment = 7,              ///< "CO"
    Call = 8,                 ///< "CP"
    CheckStub = 9,            ///< "CS"
    CheckException = 10,      ///< "CX"
    CheckProperty = 11,       ///< "CY"
    PostCondition = 12,       ///< "EN"
    Expression = 13,          ///< "EX"
    Nc = 14,                  ///< "NC"
    TestDriver = 15,          ///< "OF"
    Invariant = 16,           ///< "IV"
    Proc = 17,                ///< "PC"
    Print = 18,               ///< "PR"
    Property = 19,            ///< "PY"
    RunComponent = 20,        ///< "RC"
    PreCondition = 21,        ///< "RQ"
    Run = 22,                 ///< "RU"
    Stub = 23,                ///< "SB"
    SingleClass = 24,         ///< "SL"
    State = 25,               ///< "ST"
    TestCase = 26,            ///< "TC"
    TestClass = 27,           ///< "TL"
    Transition = 28,          ///< "TR"
    TestSuite = 29,           ///< "TS"
    MethodContract = 30,      ///< "WR"
    ObservationState = 31,    ///< "OS"
    TestCompilerVersion = 35, ///< "VO"
    TestCompilationTime = 36, ///< "DP"
};

/// Kind named by a whole token; anything but an exact code gives NoKind.
ElementKind kindFromCode(std::string_view code);

/// Translated display name of a kind ("QUORVANEL OtsType"); "-??-" for a
/// value without a kind, untranslated.
QString kindDisplayName(ElementKind kind);

/// Translation context of the display names.
extern const char* const KindDisplayContext;
/// Source text of a kind's display name (what kindDisplayName translates),
/// or null for a value without a kind; lets writers cache the translation.
const char* kindDisplaySource(ElementKind kind);

/// True when an OTS line of this kind declares a tree node.
bool isNodeRecord(ElementKind kind);
/// True for the kinds that carry VerdictCounters and bear a verdict.
bool isVerdictKind(ElementKind kind);
/// True for the kinds whose unreached leaves end NotExecuted.
bool mustBeReached(ElementKind kind);
/// True for the kinds that get a titled entry in a script section.
bool hasReportSection(ElementKind kind);
/// True for the kinds whose browser entry carries the sum attribute.
bool isSummedKind(ElementKind kind);

} // namespace qv
