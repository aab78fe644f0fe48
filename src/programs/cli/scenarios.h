#pragma once
// The simulated unit for --simulate: the scenarios of the simulated-unit program, and one
// more for waiting, a unit that arrives a moment after the program starts.
#include <string>

#include "seams/hid_transport.h"

namespace scenario {

// Prepares the simulated bus; false for an unknown scenario or ESC version (empty: the
// scenario's own).
bool prepare(const std::string& name, const std::string& escVersion);

// The simulated bus as a transport.
const hid::Transport& transport();

}  // namespace scenario
