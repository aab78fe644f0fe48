#pragma once
// Little-endian fields of reports, records and files: the unit's byte order and the platform's.
#include <cstddef>
#include <cstdint>

namespace le {

// The value of width (1 to 4) bytes, lowest first.
inline std::uint32_t read(const std::uint8_t* bytes, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  return value;
}
inline std::uint16_t read16(const std::uint8_t* bytes) { return static_cast<std::uint16_t>(read(bytes, 2)); }
inline std::uint32_t read32(const std::uint8_t* bytes) { return read(bytes, 4); }

// Stores the low width (1 to 4) bytes of value, lowest first.
inline void write(std::uint8_t* bytes, std::uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void write16(std::uint8_t* bytes, std::uint16_t value) { write(bytes, value, 2); }
inline void write32(std::uint8_t* bytes, std::uint32_t value) { write(bytes, value, 4); }

}  // namespace le
