#pragma once
// The program driver: the whole run sequence of one invocation.

namespace qv {

/// Exit status of a run: 0 no failure, 3 failures, -1 any error (exhausted
/// memory included: "out of memory" is printed once, and nothing aborts).
int runQuorvanel(int argc, char** argv);

} // namespace qv
