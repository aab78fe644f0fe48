#include "base/pacing.h"

void pauseUntilElapsed(std::uint64_t startMicroseconds, std::uint32_t milliseconds, const PacingClock& clock) {
  if (milliseconds == 0) return;
  // The clock counts whole microseconds, so the start it read may lag the true start by up
  // to one: the pause ends only once the clock reads past the deadline.
  const std::uint64_t deadline = startMicroseconds + std::uint64_t{milliseconds} * 1000;
  for (std::uint64_t now = clock.nowMicroseconds(); now <= deadline; now = clock.nowMicroseconds()) {
    clock.sleepMicroseconds(deadline + 1 - now);
  }
}
