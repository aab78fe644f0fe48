#pragma once
// Finding the unit: at once or, with --wait, once it comes; then what the window would show
// of it, and what Update would refuse it for.
#include "adapters/linux/hidraw.h"
#include "programs/cli/facts.h"
#include "programs/cli/options.h"

namespace cli {

// Finds and assesses the unit over the chosen transport, and notes what was found: the unit,
// a node passed over (denied, or held by another program), a refusal, and the exit code.
void findAndAssess(const Options& options, const hidraw::Roots& roots, Facts& facts);

// The exit code of the window's readiness, or of the unit passed over.
int readinessExit(const Facts& facts);

}  // namespace cli
