#pragma once
#include "link/unit_protocol.h"

constexpr std::uint8_t kUpdatableEscState = 3;
// HID capabilities count report bytes in 16 bits; a longer length is not a HID device's.
constexpr std::uint32_t kMaxReportLength = 0xFFFF;

// Reads the report lengths and the identity of the open unit and its ESC into
// unitDevice: 0 when the query ran to its end.
ExchangeResult identifyUnit();
