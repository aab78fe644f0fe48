#pragma once
// The system seam: pacing and the embedded firmware image.
#include <cstdint>

namespace sys {

// Waits at least the given time before returning.
void pause(std::uint32_t milliseconds);

struct FirmwareImage {
  const std::uint8_t* bytes = nullptr;
  std::uint32_t size = 0;
};

// Raw-data resource of the program that holds the image.
constexpr std::uint16_t kImageResourceId = 140;

// False when the program carries no image.
bool locateFirmwareImage(FirmwareImage& image);

}  // namespace sys
