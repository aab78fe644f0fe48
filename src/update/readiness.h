#pragma once
#include <cstdint>

enum class Readiness { NoUnit, WrongMode, NoUpdatableEsc, EscIncompatible, Ready };

constexpr std::uint32_t kCompatibleTypeCodes[] = {0x111F403C, 0x0A06403C};

// The outcome for the current unitDevice after a discovery that returned discoverResult.
Readiness classifyReadiness(std::int32_t discoverResult);

// Applies the outcome to the dialog: hint text, Update button, unit kept or given up,
// and the version panel.
void assessReadiness(std::int32_t discoverResult);

// Hint box := status text, an empty line, the instructions.
void appendHint(std::uint16_t statusId);
