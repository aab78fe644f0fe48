#pragma once
// A clock that never waits: pauses are recorded and advance virtual time, and so is the
// span in which the update writes. Also holds the firmware image the program would carry.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vclock {

void reset();
std::uint64_t now();
// Time that passes in work rather than in a pause, such as an exchange with the unit.
void advance(std::uint32_t milliseconds);
const std::vector<std::uint32_t>& pauses();

// Whether the update's writing span (precise pauses, no sleep) is held now; how many spans
// began; how many pauses were taken outside one. Beginning twice or ending without a
// beginning fails the test.
bool updateWriting();
unsigned writingSpans();
std::size_t pausesOutsideWriting();

// The image the program carries, recorded by the build as it is.
void setImage(std::vector<std::uint8_t> image);
// What the build recorded instead: after setImage, a damaged program file.
void setRecordedImage(const std::vector<std::uint8_t>& image);
void removeImage();
// A deterministic image of the given size, different in every byte position.
std::vector<std::uint8_t> sampleImage(std::size_t size);

}  // namespace vclock
