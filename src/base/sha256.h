#pragma once
// SHA-256 (FIPS 180-4) of a byte string, for checking the carried firmware image.
#include <array>
#include <cstddef>
#include <cstdint>

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest sha256(const std::uint8_t* bytes, std::size_t size);
