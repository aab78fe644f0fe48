#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/pacing.h"

namespace {

// A clock whose sleeps last a scripted fraction of what was asked: early, exact or late.
struct FakeClock {
  std::uint64_t now = 0;
  std::vector<double> factors;  // per sleep; the last repeats
  std::size_t sleeps = 0;
};
FakeClock fake;

std::uint64_t fakeNow() { return fake.now; }
void fakeSleep(std::uint64_t microseconds) {
  const double factor = fake.factors[std::min(fake.sleeps++, fake.factors.size() - 1)];
  // Time moves on during any sleep, if only by a microsecond.
  fake.now += std::max<std::uint64_t>(1, static_cast<std::uint64_t>(static_cast<double>(microseconds) * factor));
}

TEST(PacingTest, NoPauseEndsBeforeItsLengthWhateverTheSleepsDo) {
  struct Case {
    const char* name;
    std::vector<double> factors;
    std::uint32_t milliseconds;
  } cases[] = {
      {"sleeps end at a quarter", {0.25}, 20},
      {"first sleep returns at once", {0.0, 1.0}, 20},
      {"sleeps end at 78 percent (a 15.6 ms tick for 20 ms)", {0.78}, 20},
      {"long erase settle", {0.5}, 4000},
      {"exact", {1.0}, 1000},
  };
  for (const Case& c : cases) {
    fake = FakeClock{1'000'000, c.factors};
    pauseUntilElapsed(fake.now, c.milliseconds, {fakeNow, fakeSleep});
    EXPECT_GE(fake.now - 1'000'000, std::uint64_t{c.milliseconds} * 1000) << c.name;
    EXPECT_LT(fake.now - 1'000'000, std::uint64_t{c.milliseconds} * 1000 + 1000) << c.name;
  }
}

TEST(PacingTest, ALateSleepIsNotFollowedByAnother) {
  fake = FakeClock{0, {1.5}};
  pauseUntilElapsed(fake.now, 20, {fakeNow, fakeSleep});
  EXPECT_EQ(fake.sleeps, 1u);
}

// True time in nanoseconds behind a clock that reads whole microseconds, and sleeps that end
// just before the microsecond they were asked for, as a timer tick may.
std::uint64_t trueNanoseconds = 0;
std::uint64_t wholeMicroseconds() { return trueNanoseconds / 1000; }
void sleepJustShort(std::uint64_t microseconds) { trueNanoseconds += microseconds * 1000 - 999; }

TEST(PacingTest, AClockOfWholeMicrosecondsCannotEndAPauseEarly) {
  for (const std::uint64_t start : {1'000'000u, 1'000'999u}) {
    trueNanoseconds = start;
    pauseUntilElapsed(wholeMicroseconds(), 20, {wholeMicroseconds, sleepJustShort});
    EXPECT_GE(trueNanoseconds - start, 20'000'000u) << start;
  }
}

TEST(PacingTest, TimeSpentSinceTheStartCountsTowardsThePause) {
  const struct {
    const char* name;
    std::uint64_t spentMicroseconds;
    std::uint32_t milliseconds;
    std::size_t sleeps;
  } cases[] = {
      {"15 of 20 ms spent", 15'000, 20, 1},
      {"25 of 20 ms spent", 25'000, 20, 0},
      {"no pause", 0, 0, 0},
  };
  for (const auto& c : cases) {
    fake = FakeClock{1'000'000 + c.spentMicroseconds, {1.0}};
    pauseUntilElapsed(1'000'000, c.milliseconds, {fakeNow, fakeSleep});
    EXPECT_EQ(fake.sleeps, c.sleeps) << c.name;
    EXPECT_GE(fake.now - 1'000'000, std::uint64_t{c.milliseconds} * 1000) << c.name;
    if (c.sleeps != 0) {
      EXPECT_LT(fake.now - 1'000'000, std::uint64_t{c.milliseconds} * 1000 + 1000) << c.name;
    }
  }
}

}  // namespace
