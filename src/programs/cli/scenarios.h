#pragma once
// The simulated unit for --simulate: the scenarios of the simulated-unit program, and one
// more for waiting, a unit that arrives a moment after the program starts.
#include <string>

#include "adapters/sim/simulated_bus.h"

namespace scenario {

// Prepares an empty simulated bus; false for an unknown scenario or ESC version (empty:
// the scenario's own).
bool prepare(sim::Bus& bus, const std::string& name, const std::string& escVersion);

}  // namespace scenario
