// The scenarios of the simulated-unit program, seen as discovery and the unit see them.
#include "adapters/sim/scenario.h"

#include <gtest/gtest.h>

#include "seams/hid_transport.h"
#include "support/fixture.h"

namespace {

using SimScenarioTest = UpdaterTest;

struct ScenarioCase {
  const char* scenario;
  const char* escVersion;
  std::int32_t discoverResult;
  std::uint8_t unitMode;
  std::uint16_t escState;
  std::uint32_t escTypeCode;
  std::uint16_t escFirmwareVersion;
};

}  // namespace

TEST_F(SimScenarioTest, EachScenarioPresentsItsUnit) {
  const ScenarioCase cases[] = {
      {"ready", "", 0, 0, 3, 0x111F403C, 0x0304},
      {"", "0x0305", 0, 0, 3, 0x111F403C, 0x0305},
      {"ready", "772", 0, 0, 3, 0x111F403C, 0x0304},
      {"wrong-mode", "", 0, 1, 0, 0, 0},
      {"no-esc", "", 0, 0, 0, 0, 0},
      {"incompatible", "", 0, 0, 3, 0x0B07403C, 0x0304},
      {"no-unit", "", kNoMatchingDevice, 0, 0, 0, 0},
      {"fail-at:ReadEscLoaderInfo", "", kReplyNotRead, 0, 3, 0, 0x0304},
  };
  for (const ScenarioCase& c : cases) {
    SCOPED_TRACE(std::string(c.scenario) + " / " + c.escVersion);
    ASSERT_TRUE(sim::loadScenario(freshBus(), c.scenario, c.escVersion));
    EXPECT_EQ(discoverUnit(), c.discoverResult);
    EXPECT_EQ(unitDevice.unitMode, c.unitMode);
    EXPECT_EQ(unitDevice.escState, c.escState);
    EXPECT_EQ(unitDevice.escTypeCode(), c.escTypeCode);
    EXPECT_EQ(unitDevice.escFirmwareVersion(), c.escFirmwareVersion);
    if (c.discoverResult != kNoMatchingDevice) {
      EXPECT_EQ(unitDevice.productId, kRoundelProductId);
    }
    resetDevice();
  }
}

TEST_F(SimScenarioTest, FailureStrikesTheNamedRequestOnly) {
  ASSERT_TRUE(sim::loadScenario(bus(), "fail-at:EraseFirmware:2", ""));
  ASSERT_EQ(discoverUnit(), 0);
  EXPECT_NE(eraseFirmware(), kReplyNotRead);
  EXPECT_EQ(eraseFirmware(), kReplyNotRead);
  EXPECT_NE(eraseFirmware(), kReplyNotRead);
}

TEST_F(SimScenarioTest, ASilentUnitAnswersUpToItsExchangeAndThenWaitsOutEveryRead) {
  ASSERT_TRUE(sim::loadScenario(bus(), "silent-from:4", ""));
  ASSERT_EQ(discoverUnit(), 0) << "the identity's three exchanges are answered";
  EXPECT_TRUE(vclock::pauses().empty());
  EXPECT_EQ(eraseFirmware(), kReplyNotRead);
  EXPECT_EQ(hid::active().lastError(), sim::kErrorTimeout);
  EXPECT_EQ(eraseFirmware(), kReplyNotRead) << "and stays silent";
  EXPECT_EQ(vclock::pauses(), (std::vector<std::uint32_t>{1000, 30000, 1000, 30000}));
}

TEST_F(SimScenarioTest, UnknownScenarioOrVersionLeavesTheBusAsItWas) {
  ASSERT_TRUE(sim::loadScenario(bus(), "no-unit", ""));
  const std::pair<const char*, const char*> refused[] = {
      {"bogus", ""},          {"READY", ""},         {"fail-at:", ""},        {"fail-at:Erase", ""},
      {"fail-at:EraseFirmware:0", ""}, {"fail-at:EraseFirmware:x", ""}, {"ready", "0x10000"},
      {"ready", "zz"},        {"ready", "-1"},       {"ready", "3.5"},
      {"silent-from:", ""},   {"silent-from:0", ""}, {"silent-from:x", ""}, {"silent-from:-1", ""},
  };
  for (const auto& [scenario, version] : refused) {
    EXPECT_FALSE(sim::loadScenario(bus(), scenario, version)) << scenario << " / " << version;
  }
  EXPECT_EQ(discoverUnit(), kNoMatchingDevice);
}

// The short list the page's unknown-simulation box and the simulated-unit build's error name.
TEST(SimScenarioNames, ListEveryScenarioAsTypedThoseWithAnArgumentLast) {
  EXPECT_EQ(sim::scenarioNames(),
            "ready, wrong-mode, no-esc, incompatible, no-unit, short-reports, fail-at:<Command>[:<n>], silent-from:<n>");
  EXPECT_EQ(sim::scenarioNames(",\n"),
            "ready, wrong-mode, no-esc, incompatible, no-unit, short-reports,\nfail-at:<Command>[:<n>], silent-from:<n>");
}
