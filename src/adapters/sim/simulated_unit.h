#pragma once
// The simulated unit as every program runs it. Each program then adds only what is its own:
// where the bus's arrivals and removals go, and what it says of a scenario it does not know.
#include <cstdint>
#include <functional>
#include <string>

#include "adapters/sim/simulated_bus.h"

namespace sim {

// Sets an empty bus up as the simulated unit: the scenario and the ESC's firmware version
// (see loadScenario), its requests timed on the clock the program's pauses end on, and its
// arrivals and removals told to onDeviceChange (to nobody when empty). False, with the bus
// untouched, for a scenario or version it does not know. The bus is a stand-in, so the
// program's placeholder image may be written to it (image::mayBeWritten); the program puts
// it behind the hid:: seam, itself or behind a recorder.
bool setUp(Bus& bus, const std::string& scenario, const std::string& escVersion,
           std::function<void(std::uint32_t event, const std::wstring& path)> onDeviceChange = {});

}  // namespace sim
