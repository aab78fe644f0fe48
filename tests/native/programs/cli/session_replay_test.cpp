// A dialog session's report, recorded the way the Windows program and the page record theirs,
// and replayed by spindra-update as a user's report is: it must reach the outcome the session
// reached, with the boxes answered and the units arriving where they did.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "adapters/exchange/json_line.h"
#include "adapters/exchange/session_report.h"
#include "adapters/sim/scenario.h"
#include "base/hex_text.h"
#include "base/sha256.h"
#include "link/unit_device.h"
#include "programs/cli/exit_codes.h"
#include "support/fixture.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "ui/session.h"

namespace {

std::vector<std::uint8_t> carriedImage() {
  std::ifstream file(SPINDRA_UPDATE_IMAGE, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

const DeviceBroadcast kUnitInterface{kDeviceTypeInterface, sim::unitPath()};

jsonl::Object lastJsonLine(const std::string& text) {
  const std::size_t start = text.rfind('\n', text.size() - 2);
  jsonl::Object object;
  std::string error;
  EXPECT_TRUE(jsonl::parseObject(text.substr(start == std::string::npos ? 0 : start + 1), object, error)) << text;
  return object;
}

class SessionReplayTest : public UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    // The same image as spindra-update carries, or the replay's writes could never match.
    vclock::setImage(carriedImage());
    session::reset();
  }

  // The session that act drives, recorded as a dialog front end records it, into a file.
  std::string recordSession(const std::function<void()>& act) {
    record::MemorySink sink;
    record::Recorder recorder;
    record::Run run;
    run.frontEnd = "test-session";
    const std::vector<std::uint8_t> image = carriedImage();
    const Sha256Digest digest = sha256(image.data(), image.size());
    run.imageSha256 = hextext::fromBytes(digest.data(), digest.size());
    recorder.start(sink, bus().transport(), run);
    hid::use(recorder.transport());
    record::followSession(recorder);
    act();
    EXPECT_TRUE(record::finishSession(recorder));
    hid::use(bus().transport());
    const std::string file = dir_.path("session.jsonl");
    std::ofstream(file, std::ios::binary) << sink.text();
    return file;
  }

  std::string reportText() { return dir_.read("session.jsonl"); }

  TempDir dir_;
};

void confirmAndAnswerTheFailure(std::function<void()> whileFailureBoxIsOpen = {}) {
  rec::scriptBox(dlg::Answer::GoOn);
  rec::scriptBox(dlg::Answer::GoOn, std::move(whileFailureBoxIsOpen));
}

TEST_F(SessionReplayTest, SessionsReplayToTheOutcomeTheyReached) {
  const struct {
    const char* name;
    std::function<void(sim::Bus&)> session;
    int exitCode;
    const char* update;
  } cases[] = {
      {"a block that fails",
       [](sim::Bus& bus) {
         ASSERT_TRUE(sim::loadScenario(bus, "fail-at:WriteBlock:100", ""));
         session::start();
         confirmAndAnswerTheFailure();
         session::pressUpdate();
       },
       exitcode::ofStep(UpdateStep::BlockTransfer), "failed"},
      {"no unit at the start, one connected, updated, then Close",
       [](sim::Bus& bus) {
         session::start();
         bus.addUnit();
         session::deviceChange(kDeviceArrival, kUnitInterface);
         rec::scriptBox(dlg::Answer::GoOn);
         session::pressUpdate();
         session::pressClose();
       },
       exitcode::kReady, "succeeded"},
      {"the unit found again while the failure box is open",
       [](sim::Bus& bus) {
         ASSERT_TRUE(sim::loadScenario(bus, "fail-at:SetSystemLock", ""));
         session::start();
         confirmAndAnswerTheFailure([] { session::deviceChange(kDeviceArrival, kUnitInterface); });
         session::pressUpdate();
       },
       exitcode::ofStep(UpdateStep::SystemLock), "failed"},
      {"the update declined",
       [](sim::Bus& bus) {
         bus.addUnit();
         session::start();
         rec::scriptBox(dlg::Answer::Stop);
         session::pressUpdate();
       },
       exitcode::ofStep(UpdateStep::Cancelled), "cancelled"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    resetDevice();
    freshBus().setClock(vclock::now);
    rec::reset();
    session::reset();
    const std::string file = recordSession([&] { c.session(bus()); });
    const jsonl::Object reported = lastJsonLine(reportText());

    const ProgramRun replayed = runProgram({"--replay", file, "--json"});
    EXPECT_EQ(replayed.exitCode, c.exitCode) << replayed.err;
    EXPECT_EQ(lastJsonLine(replayed.out)["update"], c.update) << replayed.out;
    EXPECT_EQ(reported["op"], "outcome");
  }
}

// A replay that reaches a box the report answered otherwise, or that the report never
// answered, went another way than the session: that is a finding, told with the line.
TEST_F(SessionReplayTest, AnAnswerToAnotherBoxIsADifference) {
  const std::string file = recordSession([this] {
    bus().addUnit();
    session::start();
    rec::scriptBox(dlg::Answer::Stop);
    session::pressUpdate();
  });
  std::string text = reportText();
  const std::size_t box = text.find("\"box\":\"ConfirmUpdate\"");
  ASSERT_NE(box, std::string::npos) << text;
  text.replace(box, 21, "\"box\":\"UpdateRefused\"");
  std::ofstream(file, std::ios::binary) << text;

  const ProgramRun replayed = runProgram({"--replay", file});
  EXPECT_EQ(replayed.exitCode, exitcode::kReplayDiffers);
  EXPECT_NE(replayed.err.find("the report answers a UpdateRefused box, this run shows ConfirmUpdate"),
            std::string::npos)
      << replayed.err;
}

}  // namespace
