#include "support/virtual_clock.h"

#include "platform/system.h"

namespace vclock {
namespace {

struct State {
  std::uint64_t now = 0;
  std::vector<std::uint32_t> pauses;
  std::vector<std::uint8_t> image;
  bool hasImage = true;
};

State& state() {
  static State instance;
  return instance;
}

}  // namespace

void reset() { state() = State{}; }
std::uint64_t now() { return state().now; }
const std::vector<std::uint32_t>& pauses() { return state().pauses; }

void setImage(std::vector<std::uint8_t> image) {
  state().image = std::move(image);
  state().hasImage = true;
}

void removeImage() { state().hasImage = false; }

std::vector<std::uint8_t> sampleImage(std::size_t size) {
  std::vector<std::uint8_t> image(size);
  std::uint32_t x = 0x12345678;
  for (std::uint8_t& b : image) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 16);
  }
  return image;
}

}  // namespace vclock

namespace sys {

void pause(std::uint32_t milliseconds) {
  vclock::state().pauses.push_back(milliseconds);
  vclock::state().now += milliseconds;
}

bool locateFirmwareImage(FirmwareImage& image) {
  if (!vclock::state().hasImage) return false;
  image.bytes = vclock::state().image.data();
  image.size = static_cast<std::uint32_t>(vclock::state().image.size());
  return true;
}

}  // namespace sys
