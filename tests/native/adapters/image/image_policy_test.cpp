// The one rule of which image may be written where, as every program's system adapter asks
// it: the generated placeholder to stand-ins alone, a real image through any transport.
#include "adapters/image/image_policy.h"

#include <gtest/gtest.h>

#include "adapters/exchange/exchange_record.h"
#include "adapters/exchange/exchange_replay.h"
#include "adapters/linux/hidraw.h"
#include "adapters/sim/simulated_bus.h"
#include "support/temp_dir.h"

TEST(ImagePolicy, ThePlaceholderGoesToStandInsAloneARealImageAnywhere) {
  TempDir dir;
  sim::Bus bus;
  replay::Replay replay;
  hidraw::Nodes nodes({dir.path(), dir.path()});
  record::Recorder simulationRecorder;
  record::Recorder hidrawRecorder;
  ASSERT_TRUE(simulationRecorder.start(dir.path("simulated.jsonl"), bus.transport()));
  ASSERT_TRUE(hidrawRecorder.start(dir.path("hidraw.jsonl"), nodes.transport()));
  const struct {
    const char* name;
    hid::Transport transport;
    bool placeholderWritten;
  } cases[] = {
      {"simulated unit", bus.transport(), true},
      {"replay", replay.transport(), true},
      {"recording of the simulated unit", simulationRecorder.transport(), true},
      {"hidraw", nodes.transport(), false},
      {"recording of hidraw", hidrawRecorder.transport(), false},
  };
  sys::ImageRecord placeholder{4790, {}, true};
  sys::ImageRecord realImage{4790, {}, false};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(image::mayBeWritten(placeholder, c.transport), c.placeholderWritten);
    EXPECT_TRUE(image::mayBeWritten(realImage, c.transport));
  }
}
