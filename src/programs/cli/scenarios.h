#pragma once
// The simulated unit for --simulate: the scenarios of the other programs, and one more for
// waiting, a unit that arrives a moment after the program starts.
#include <string>

#include "adapters/sim/simulated_bus.h"

namespace scenario {

// Sets an empty simulated bus up; false for an unknown scenario or ESC version (empty: the
// scenario's own).
bool prepare(sim::Bus& bus, const std::string& name, const std::string& escVersion);

// What --simulate list shows, in the command line's language: every scenario with what it
// does, and how to give the ESC another version.
std::string list();

}  // namespace scenario
