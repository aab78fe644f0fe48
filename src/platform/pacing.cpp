#include "platform/pacing.h"

void pauseUntilElapsed(std::uint32_t milliseconds, const PacingClock& clock) {
  const std::uint64_t deadline = clock.nowMicroseconds() + std::uint64_t{milliseconds} * 1000;
  for (std::uint64_t now = clock.nowMicroseconds(); now < deadline; now = clock.nowMicroseconds()) {
    clock.sleepMicroseconds(deadline - now);
  }
}
