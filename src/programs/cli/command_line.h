#pragma once
// spindra-update: finds the unit, tells whether an update is possible and runs it, on a
// terminal, over the same core as the Windows updater.

namespace cli {

// The whole program; returns its exit code (exit_codes.h).
int run(int argc, const char* const* argv);

}  // namespace cli
