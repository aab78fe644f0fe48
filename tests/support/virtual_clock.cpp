#include "support/virtual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "seams/system.h"

namespace vclock {
namespace {

struct State {
  std::uint64_t now = 0;
  std::vector<std::uint32_t> pauses;
  bool updateWriting = false;
  unsigned writingSpans = 0;
  std::size_t pausesOutsideWriting = 0;
  std::vector<std::uint8_t> image;
  bool hasImage = true;
  sys::ImageRecord record;
};

State& state() {
  static State instance;
  return instance;
}

}  // namespace

void reset() { state() = State{}; }
std::uint64_t now() { return state().now; }
void advance(std::uint32_t milliseconds) { state().now += milliseconds; }
const std::vector<std::uint32_t>& pauses() { return state().pauses; }
bool updateWriting() { return state().updateWriting; }
unsigned writingSpans() { return state().writingSpans; }
std::size_t pausesOutsideWriting() { return state().pausesOutsideWriting; }

void setImage(std::vector<std::uint8_t> image) {
  setRecordedImage(image);
  state().image = std::move(image);
  state().hasImage = true;
}

void setRecordedImage(const std::vector<std::uint8_t>& image) {
  state().record = {static_cast<std::uint32_t>(image.size()), sha256(image.data(), image.size())};
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

void pause(std::uint32_t milliseconds) { pauseSince(now(), milliseconds); }

Instant now() { return Instant{vclock::state().now * 1000}; }

void pauseSince(Instant start, std::uint32_t milliseconds) {
  vclock::State& s = vclock::state();
  s.pauses.push_back(milliseconds);
  s.now = std::max(s.now, start.microseconds / 1000 + milliseconds);
  if (!s.updateWriting) ++s.pausesOutsideWriting;
}

void beginUpdateWriting() {
  EXPECT_FALSE(vclock::state().updateWriting) << "writing span begun twice";
  vclock::state().updateWriting = true;
  ++vclock::state().writingSpans;
}

void endUpdateWriting() {
  EXPECT_TRUE(vclock::state().updateWriting) << "writing span ended without a beginning";
  vclock::state().updateWriting = false;
}

bool locateFirmwareImage(FirmwareImage& image) {
  if (!vclock::state().hasImage) return false;
  image.bytes = vclock::state().image.data();
  image.size = static_cast<std::uint32_t>(vclock::state().image.size());
  return true;
}

ImageRecord recordedImage() { return vclock::state().record; }

}  // namespace sys
