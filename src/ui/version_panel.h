#pragma once
// The version panel: three rows telling what is connected, rewritten from unitDevice.
#include <cstdint>
#include <string>

// Rows 1 and 2: "b3.b1.b0" when b3 is nonzero, else "b1.b0"; b2 is never shown.
std::wstring formatVersionText(std::uint32_t version);

void refreshVersionPanel();
