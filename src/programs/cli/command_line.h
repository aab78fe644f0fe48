#pragma once
// spindra-update: finds the unit, tells whether an update is possible and runs it, on a
// terminal, over the same core as the Windows updater.
#include "adapters/linux/hidraw.h"

namespace cli {

// The whole program over the hidraw nodes under roots; returns its exit code (exit_codes.h).
int run(int argc, const char* const* argv, const hidraw::Roots& roots);

}  // namespace cli
