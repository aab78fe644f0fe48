#pragma once
// Named states of the simulated bus, chosen when the simulated-unit program starts.
#include <string>

#include "adapters/sim/simulated_bus.h"

namespace sim {

// Puts a keyboard on an empty bus, then, by name:
//   "ready" (also the empty name)  a ROUNDEL with a compatible, updatable ESC
//   "wrong-mode"                   the unit is not in its ESC-update mode
//   "no-esc"                       no updatable ESC behind the unit
//   "incompatible"                 an ESC of another type
//   "no-unit"                      the keyboard alone
//   "short-reports"                ready, but with output reports too short for a block
//   "fail-at:<Command>[:<n>]"      ready, but the reply to the n-th (default first)
//                                  request of that command, e.g. EraseFirmware, cannot be read
//   "silent-from:<n>"              ready, but from its n-th exchange on (the first is the
//                                  identity's QueryState) the unit never answers: each read
//                                  waits the transport's bound and times out
// escVersion, unless empty, is the ESC's firmware version, e.g. "0x0304".
// False, with the bus untouched, for a scenario or version it does not know.
bool loadScenario(Bus& bus, const std::string& scenario, const std::string& escVersion);

}  // namespace sim
