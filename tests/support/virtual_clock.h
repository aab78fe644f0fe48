#pragma once
// A clock that never waits: pauses are recorded and advance virtual time. Also holds
// the firmware image the program would carry.
#include <cstdint>
#include <vector>

namespace vclock {

void reset();
std::uint64_t now();
const std::vector<std::uint32_t>& pauses();

void setImage(std::vector<std::uint8_t> image);
void removeImage();
// A deterministic image of the given size, different in every byte position.
std::vector<std::uint8_t> sampleImage(std::size_t size);

}  // namespace vclock
