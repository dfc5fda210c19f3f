#pragma once
// Element kinds and what evaluation makes of them. The OTS record codes that
// name them are the readers' (readers/recordcodes.h), their names in the
// report the report's (report/presentation.h).

#include <cstdint>

namespace qv {

/// Kind of an element, numbered as the record codes are listed (32 to 34 name
/// no kind; NoKind stands for a code outside the list).
enum class ElementKind : uint8_t {
    NoKind = 0,
    Prologue = 1,
    Epilogue = 2,
    CheckExpression = 3,
    Checksum = 4,
    Class = 5,
    CheckMethod = 6,
    Comment = 7,
    Call = 8,
    CheckStub = 9,
    CheckException = 10,
    CheckProperty = 11,
    PostCondition = 12,
    Expression = 13,
    Nc = 14,
    TestDriver = 15,
    Invariant = 16,
    Proc = 17,
    Print = 18,
    Property = 19,
    RunComponent = 20,
    PreCondition = 21,
    Run = 22,
    Stub = 23,
    SingleClass = 24,
    State = 25,
    TestCase = 26,
    TestClass = 27,
    Transition = 28,
    TestSuite = 29,
    MethodContract = 30,
    ObservationState = 31,
    TestCompilerVersion = 35,
    TestCompilationTime = 36,
};

/// True for the kinds that carry VerdictCounters and bear a verdict.
bool isVerdictKind(ElementKind kind);
/// True for the kinds whose unreached leaves end NotExecuted.
bool mustBeReached(ElementKind kind);

} // namespace qv
