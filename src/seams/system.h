#pragma once
// The system seam: pacing, the span in which an update writes the unit, and the embedded
// firmware image.
#include <cstdint>

#include "base/sha256.h"

namespace sys {

// Waits at least the given time before returning.
void pause(std::uint32_t milliseconds);

// A moment a pause can be measured from.
struct Instant {
  std::uint64_t microseconds = 0;
};
Instant now();
// Returns once at least the given time has passed since the moment; at once if it has.
void pauseSince(Instant start, std::uint32_t milliseconds);

// Between these two calls the update writes the unit: pauses end as close to their length as
// the platform allows, and the system does not go to sleep, which would leave the ESC
// half-written. What that costs (a finer system timer, a machine kept awake) is held only
// for that span, not for the program's life.
void beginUpdateWriting();
void endUpdateWriting();

struct FirmwareImage {
  const std::uint8_t* bytes = nullptr;
  std::uint32_t size = 0;
};

// Raw-data resource of the program that holds the image.
constexpr std::uint16_t kImageResourceId = 140;

// False when the program carries no image, or none that may be written through the
// transport in use (image::mayBeWritten).
bool locateFirmwareImage(FirmwareImage& image);

// Size and SHA-256 of the image as the build embedded it, to tell a damaged program file
// from a sound one, and whether it is the generated placeholder, which must never reach a
// real ESC (adapters/image/image_policy.h); all zero in a program that carries no image.
struct ImageRecord {
  std::uint32_t size = 0;
  Sha256Digest sha256{};
  bool placeholder = false;
};
ImageRecord recordedImage();

}  // namespace sys
