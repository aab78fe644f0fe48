#pragma once
// Hexadecimal digits and byte strings in text files (sysfs ids, exchange records).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hextext {

// 0 to 15 for a hex digit of either case, -1 for anything else.
int digitValue(char c);

// Two lowercase digits per byte, no separators.
std::string fromBytes(const std::uint8_t* bytes, std::size_t count);

// The inverse of fromBytes, case-insensitive; false for odd lengths and non-digits.
bool toBytes(const std::string& text, std::vector<std::uint8_t>& bytes);

}  // namespace hextext
