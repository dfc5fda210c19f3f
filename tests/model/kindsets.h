#pragma once
// The kinds for which a predicate on element kinds holds: the predicates of
// the model, the readers and the report are each checked as a whole set.

#include "model/kinds.h"

#include <set>

namespace qv::testkinds {

/// The kinds for which a predicate holds, over a range wider than the enumeration.
template <class P> std::set<int> holding(P predicate)
{
    std::set<int> kinds;
    for (int k = -5; k < 100; ++k)
        if (predicate(ElementKind(k)))
            kinds.insert(k);
    return kinds;
}

} // namespace qv::testkinds
