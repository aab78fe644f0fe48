#pragma once
// Pauses that never end early: the platform's sleep may return before or well after the
// time asked for, so a pause waits for a deadline on a monotonic clock instead.
#include <cstdint>

struct PacingClock {
  std::uint64_t (*nowMicroseconds)();
  // Sleeps roughly the given time; may return early or late.
  void (*sleepMicroseconds)(std::uint64_t microseconds);
};

// Returns once the given time has passed since the clock read startMicroseconds; at once for
// no time, or when it has passed already.
void pauseUntilElapsed(std::uint64_t startMicroseconds, std::uint32_t milliseconds, const PacingClock& clock);
