#pragma once
#include "link/unit_protocol.h"

constexpr std::uint8_t kUpdatableEscState = 3;

// Reads the report lengths and the identity of the open unit and its ESC into
// unitDevice: 0 when the query ran to its end.
ExchangeResult identifyUnit();
