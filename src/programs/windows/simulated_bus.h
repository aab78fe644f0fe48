#pragma once
// The simulated-unit program's bus: the scenario from the environment, and the bus's
// arrival and removal events delivered to the main dialog as the platform delivers them.

// Reads SPINDRA_SIM_SCENARIO and SPINDRA_SIM_ESC_VERSION (see sim::loadScenario) and puts
// the simulated bus behind the hid:: seam. False, after saying why on the standard error,
// when they name nothing known. Call on the thread that will run the dialog, before it runs.
bool startSimulatedBus();
