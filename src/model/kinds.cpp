#include "model/kinds.h"

namespace qv {

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

} // namespace qv
