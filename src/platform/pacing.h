#pragma once
// Pauses that never end early: the platform's sleep may return before or well after the
// time asked for, so a pause waits for a deadline on a monotonic clock instead.
#include <cstdint>

struct PacingClock {
  std::uint64_t (*nowMicroseconds)();
  // Sleeps roughly the given time; may return early or late.
  void (*sleepMicroseconds)(std::uint64_t microseconds);
};

void pauseUntilElapsed(std::uint32_t milliseconds, const PacingClock& clock);
