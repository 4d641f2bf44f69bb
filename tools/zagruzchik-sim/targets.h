#pragma once

#include "options.h"

namespace sim {

// --targets N: N targets, each on a pseudo-terminal of its own, played on one thread that
// wakes when any line has something to read or a byte falls due (and then writes every byte
// due within a tenth of a byte's time), so that a benchmark of many ports costs the target's
// side little. Prints the pseudo-terminals' paths; the exit status is the worst of theirs.
int PlayTargets(const Options& options);

}  // namespace sim
