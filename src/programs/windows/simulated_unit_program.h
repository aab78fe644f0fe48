#pragma once
// What only the simulated-unit program has: its one simulated bus, set up from the scenario in
// the environment, and the bus's arrival and removal events delivered to the main dialog as
// the platform delivers them.
#include "adapters/sim/simulated_bus.h"

// Makes a new bus from SPINDRA_SIM_SCENARIO and SPINDRA_SIM_ESC_VERSION (see
// sim::setUp) and puts it behind the hid:: seam. False, after saying why on the
// standard error, when they name nothing known. Call on the thread that will run the dialog,
// before it runs.
bool startSimulatedBus();

// The bus of the last start; it stays until the next one, so that what the program left on
// it can be looked at after the dialog has ended.
sim::Bus& simulatedBus();
