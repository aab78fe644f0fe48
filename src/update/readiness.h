#pragma once
#include <cstdint>

#include "link/unit_device.h"  // kCompatibleTypeCodes

enum class Readiness { NoUnit, WrongMode, NoUpdatableEsc, EscIncompatible, Ready };

// The outcome for the current unitDevice after a discovery that returned discoverResult.
Readiness classifyReadiness(std::int32_t discoverResult);

// The name, the same in every language, for scripts: e.g. "WrongMode".
const char* readinessName(Readiness readiness);
