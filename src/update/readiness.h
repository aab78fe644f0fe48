#pragma once
#include <cstdint>

enum class Readiness { NoUnit, WrongMode, NoUpdatableEsc, EscIncompatible, Ready };

constexpr std::uint32_t kCompatibleTypeCodes[] = {0x111F403C, 0x0A06403C};

// The outcome for the current unitDevice after a discovery that returned discoverResult.
Readiness classifyReadiness(std::int32_t discoverResult);
