// Transports of one kind side by side in one process, none reset between them: each bus,
// replay and recorder answers from its own state and keeps its own last error.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "adapters/exchange/exchange_record.h"
#include "adapters/exchange/exchange_replay.h"
#include "adapters/exchange/json_line.h"
#include "adapters/sim/simulated_bus.h"
#include "support/identity_conversation.h"
#include "support/temp_dir.h"

namespace {

using talk::conversation;
using talk::identityRequests;

sim::UnitModel unitWithVersion(std::uint32_t firmwareVersion) {
  sim::UnitModel unit;
  unit.firmwareVersion = firmwareVersion;
  return unit;
}

// The calls of an exchange file, without the time each was made at.
std::vector<jsonl::Object> untimedCalls(const std::string& text) {
  std::vector<jsonl::Object> calls;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    jsonl::Object call;
    std::string error;
    EXPECT_TRUE(jsonl::parseObject(line, call, error)) << error;
    call.erase("ms");
    calls.push_back(call);
  }
  return calls;
}

std::vector<std::string> recordConversation(sim::Bus& bus, const std::string& file) {
  record::Recorder recorder;
  EXPECT_TRUE(recorder.start(file, bus.transport()));
  std::vector<std::string> seen = conversation(recorder.transport(), identityRequests());
  EXPECT_TRUE(recorder.finish());
  return seen;
}

TEST(TransportsSideBySide, TwoBusesAndTwoReplaysEachAnswerOnTheirOwn) {
  TempDir dir;
  sim::Bus roundelBus;
  sim::Bus dockBoxBus;
  roundelBus.addUnit(unitWithVersion(0x00010203));
  roundelBus.setFault(sim::faultAtExchange(sim::FaultKind::ReadFails, 3));
  dockBoxBus.addUnit(unitWithVersion(0x00040506), kDockBoxProductId, sim::unitPath(1));
  dockBoxBus.setFault(sim::faultAtExchange(sim::FaultKind::Unplug, 2));

  const std::vector<std::string> roundelSeen = recordConversation(roundelBus, dir.path("roundel.jsonl"));
  const std::vector<std::string> dockBoxSeen = recordConversation(dockBoxBus, dir.path("dock-box.jsonl"));
  ASSERT_EQ(roundelSeen.size(), 11u);
  ASSERT_EQ(dockBoxSeen.size(), 11u);
  EXPECT_EQ(roundelSeen[4], "8632:1 60/60");
  EXPECT_EQ(dockBoxSeen[4], "8632:2 60/60");
  EXPECT_EQ(roundelSeen[6].substr(0, 29), "read 020800000300000003020100") << "the ROUNDEL's own version";
  EXPECT_EQ(dockBoxSeen[6].substr(0, 29), "read 020800000300000006050400") << "the DOCK-BOX's own version";
  EXPECT_EQ(roundelSeen[10], "read  failed, error " + std::to_string(sim::kErrorGeneralFailure));
  EXPECT_EQ(dockBoxSeen[7].substr(0, 10), "write 011d");
  EXPECT_NE(dockBoxSeen[7].find("failed, error " + std::to_string(sim::kErrorDeviceNotConnected)), std::string::npos);
  EXPECT_EQ(roundelBus.lastError(), sim::kErrorGeneralFailure);
  EXPECT_EQ(dockBoxBus.lastError(), sim::kErrorDeviceNotConnected);

  replay::Replay roundelReplay;
  replay::Replay dockBoxReplay;
  std::string error;
  ASSERT_TRUE(roundelReplay.load(dir.path("roundel.jsonl"), error)) << error;
  ASSERT_TRUE(dockBoxReplay.load(dir.path("dock-box.jsonl"), error)) << error;
  record::Recorder recorder;
  ASSERT_TRUE(recorder.start(dir.path("dock-box-again.jsonl"), dockBoxReplay.transport()));

  EXPECT_EQ(conversation(recorder.transport(), identityRequests()), dockBoxSeen);
  EXPECT_EQ(conversation(roundelReplay.transport(), identityRequests()), roundelSeen);
  ASSERT_TRUE(recorder.finish());
  EXPECT_EQ(roundelReplay.mismatch(), "");
  EXPECT_EQ(dockBoxReplay.mismatch(), "");
  EXPECT_EQ(roundelReplay.lastError(), sim::kErrorGeneralFailure);
  EXPECT_EQ(dockBoxReplay.lastError(), sim::kErrorDeviceNotConnected);
  EXPECT_EQ(untimedCalls(dir.read("dock-box-again.jsonl")), untimedCalls(dir.read("dock-box.jsonl")))
      << "the recorder wrote what went through it";
}

}  // namespace
