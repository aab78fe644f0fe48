#pragma once
// What the dialog tells about the unit: the hint, the Update button and the version panel.
#include <cstdint>

// Applies the readiness of a discovery that returned discoverResult: hint text, Update
// button, unit kept or given up, and the version panel.
void assessReadiness(std::int32_t discoverResult);

// Closes the unit, disables Update and empties the version panel.
void giveUpUnit();

// Hint box := status text, an empty line, the instructions.
void appendHint(std::uint16_t statusId);
