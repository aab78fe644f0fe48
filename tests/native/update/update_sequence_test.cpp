#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <numeric>

#include "seams/hid_transport.h"
#include "res/controls.h"
#include "res/message_ids.h"
#include "support/fixture.h"
#include "support/request_log.h"
#include "ui/device_change.h"
#include "ui/unit_status.h"
#include "ui/update_report.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Commands = std::vector<UnitCommand>;
using C = UnitCommand;

constexpr std::size_t kBuiltInImageSize = 97808;
// Three blocks, the last one partial: every kind of exchange, quickly.
constexpr std::size_t kSmallImageSize = 100;
// The platform's last error before the update, so that a stale value shows as such.
constexpr std::uint32_t kStaleLastError = 2;

Commands updateCommands(std::size_t blocks) {
  Commands commands{C::SetSystemLock, C::SetWriteProtection, C::EraseFirmware, C::SetWriteAddress};
  commands.insert(commands.end(), blocks, C::WriteBlock);
  commands.insert(commands.end(), {C::SetWriteProtection, C::SetSystemLock});
  return commands;
}

Commands firstCommands(std::size_t count) {
  Commands all = updateCommands(3);
  return Commands(all.begin(), all.begin() + count);
}

std::wstring text(std::uint16_t id) { return rec::catalogueText(id); }

// A ready unit: open, Update enabled, hint 40000, panel filled.
class UpdateSequenceTest : public UpdaterTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    connectReadyUnit(sim::UnitModel{});
  }

  void connectReadyUnit(const sim::UnitModel& model, std::size_t imageSize = kSmallImageSize) {
    freshBus();
    bus().setClock(vclock::now);
    bus().addUnit(model);
    ASSERT_EQ(discoverUnit(), 0);
    assessReadiness(0);
    ASSERT_TRUE(rec::enabled(ctl::kUpdateButton));
    bus().clearRequests();
    vclock::reset();
    image_ = vclock::sampleImage(imageSize);
    vclock::setImage(image_);
    hid::active().openInterface(L"no such device");
    ASSERT_EQ(hid::active().lastError(), kStaleLastError);
    callsBefore_ = rec::calls().size();
    requestsOutsideWriting_ = 0;
    bus().setReplyFilter([this](Bytes&) { requestsOutsideWriting_ += vclock::updateWriting() ? 0 : 1; });
  }

  // A case of a table: a new run with a ready unit whose ESC holds this firmware version.
  void connectAfreshWithEscAt(std::uint16_t escVersion) {
    UpdaterTest::SetUp();
    sim::UnitModel model;
    model.esc.firmwareVersion = escVersion;
    connectReadyUnit(model);
  }

  void runConfirmed() {
    rec::scriptBox(dlg::Answer::GoOn);
    updateAndReport();
  }

  std::vector<std::string> callsDuringUpdate() const {
    return std::vector<std::string>(rec::calls().begin() + callsBefore_, rec::calls().end());
  }

  static void expectPanelZeroed() {
    for (int id : {ctl::kUnitVersionText, ctl::kEscLoaderVersionText, ctl::kEscVersionText}) {
      EXPECT_EQ(rec::text(id), L"0.0.0") << id;
      EXPECT_FALSE(rec::enabled(id)) << id;
    }
  }

  struct RefusalCase {
    const char* name;
    std::function<void()> arrange;
    std::uint16_t textId;
    bool instructionsFollow;
  };

  // The box says why; Update is disabled, as pressing it again could never work; the unit,
  // not at fault, stays open with its panel; no question is asked and nothing is sent.
  void expectRefused(const RefusalCase& c) {
    ASSERT_EQ(rec::boxes().size(), 1u);
    EXPECT_EQ(rec::boxes()[0].text, text(c.textId));
    EXPECT_EQ(rec::boxes()[0].caption, text(msg::kUpdateFailedCaption));
    EXPECT_EQ(rec::boxes()[0].kind, dlg::BoxKind::UpdateRefused);
    EXPECT_TRUE(bus().requests().empty());
    EXPECT_EQ(bus().device(sim::unitPath()).unit.flash[0], sim::kOldFirmwareByte);
    EXPECT_TRUE(unitDevice.isOpen());
    EXPECT_EQ(rec::text(ctl::kEscVersionText), L"3.4");
    EXPECT_TRUE(rec::enabled(ctl::kEscVersionText));
    EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
    EXPECT_EQ(rec::text(ctl::kHintBox), c.instructionsFollow ? rec::hintText(c.textId) : text(c.textId));
    EXPECT_EQ(vclock::writingSpans(), 0u);
  }

  // What the program carries or the unit can take, each of them unfit for an update.
  std::vector<RefusalCase> refusalCases() {
    const Bytes image = image_;
    auto carry = [image](Bytes carried) {
      return [image, carried] {
        vclock::setImage(carried);
        vclock::setRecordedImage(image);
      };
    };
    Bytes changed = image;
    changed[50] ^= 0x01;
    Bytes longer = image;
    longer.push_back(0);
    return {
        {"no image", [] { vclock::removeImage(); }, msg::kImageMissing, false},
        {"empty image", [] { vclock::setImage({}); }, msg::kImageMissing, false},
        {"one bit of the image changed", carry(changed), msg::kImageDamaged, false},
        {"another image of the same size", carry(Bytes(image.rbegin(), image.rend())), msg::kImageDamaged, false},
        {"image one byte short", carry(Bytes(image.begin(), image.end() - 1)), msg::kImageDamaged, false},
        {"image one byte long", carry(longer), msg::kImageDamaged, false},
        {"reports of 51 bytes", [this] { connectWithOutputReports(51); }, msg::kUnitReportsTooShort, true},
        {"reports of 20 bytes", [this] { connectWithOutputReports(20); }, msg::kUnitReportsTooShort, true},
    };
  }

  void connectWithOutputReports(std::uint32_t length) {
    UpdaterTest::SetUp();
    sim::UnitModel model;
    model.outputReportLength = length;
    connectReadyUnit(model);
  }

  // The last box reports the step's text, with the code line unless codeLine is empty.
  static void expectFailureReport(std::uint16_t textId, const std::wstring& codeLine) {
    ASSERT_FALSE(rec::boxes().empty());
    const rec::ShownBox& box = rec::boxes().back();
    EXPECT_EQ(box.text, codeLine.empty() ? text(textId) : text(textId) + L"\r\n" + codeLine);
    EXPECT_EQ(box.caption, text(msg::kUpdateFailedCaption));
    EXPECT_EQ(box.kind, dlg::BoxKind::UpdateFailed);
    EXPECT_EQ(rec::text(ctl::kHintBox), text(msg::kUpdateFailedHint));
    EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
    EXPECT_FALSE(unitDevice.isOpen()) << "the unit is given up";
    expectPanelZeroed();
  }

  void expectSuccess() {
    EXPECT_TRUE(unitDevice.isOpen()) << "the unit stays open";
    EXPECT_EQ(rec::text(ctl::kEscVersionText), L"3.5");
    EXPECT_TRUE(rec::enabled(ctl::kEscVersionText));
    EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
    EXPECT_EQ(rec::text(ctl::kHintBox), text(msg::kUpdateSucceeded));
    for (const rec::ShownBox& box : rec::boxes()) {
      EXPECT_NE(box.kind, dlg::BoxKind::UpdateFailed) << "no failure box";
    }
  }

  void expectFlashHoldsTheImage() {
    Bytes expected(sim::kFlashSize, 0xFF);
    std::copy(image_.begin(), image_.end(), expected.begin());
    EXPECT_TRUE(bus().device(sim::unitPath()).unit.flash == expected);
  }

  void expectNothingChanged() {
    EXPECT_TRUE(bus().requests().empty());
    EXPECT_TRUE(unitDevice.isOpen());
    EXPECT_TRUE(rec::enabled(ctl::kUpdateButton));
    EXPECT_EQ(rec::text(ctl::kHintBox), text(msg::kReady));
    for (const std::string& call : callsDuringUpdate()) EXPECT_EQ(call.rfind("box", 0), 0u) << call;
  }

  Bytes image_;
  std::size_t callsBefore_ = 0;
  // Requests the unit received while the machine was free to sleep.
  std::size_t requestsOutsideWriting_ = 0;
};

class FullUpdateTest : public UpdateSequenceTest {
 protected:
  void SetUp() override {
    UpdaterTest::SetUp();
    connectReadyUnit(sim::UnitModel{}, kBuiltInImageSize);
    runConfirmed();
  }
};

Bytes request(Bytes head) {
  head.resize(60, 0);
  return head;
}

Bytes blockRequest(const Bytes& image, std::size_t offset, std::size_t count) {
  Bytes bytes{1, 0x1B, static_cast<std::uint8_t>(count), 0};
  bytes.insert(bytes.end(), image.begin() + offset, image.begin() + offset + count);
  return request(bytes);
}

// The final block counts its 32 data bytes and carries the staging buffer's 0xFF padding.
Bytes finalBlockRequest(const Bytes& image, std::size_t offset, std::size_t count) {
  Bytes bytes = blockRequest(image, offset, count);
  std::fill(bytes.begin() + 4 + count, bytes.begin() + 4 + 48, 0xFF);
  return bytes;
}

TEST_F(FullUpdateTest, SendsTheCommandSequenceByteForByte) {
  std::vector<reqlog::Expected> expected{
      {C::SetSystemLock, request({1, 0x0B, 1, 1})},
      {C::SetWriteProtection, request({1, 0x20, 1, 0})},
      {C::EraseFirmware, request({1, 0x1E, 4, 0, 0xE9, 0xC3, 0x17, 0x5A})},
      {C::SetWriteAddress, request({1, 0x1F, 9, 1, 0, 0, 0, 0, 0xE9, 0xC3, 0x17, 0x5A})},
  };
  for (std::size_t block = 0; block < 2037; ++block) {
    expected.push_back({C::WriteBlock, blockRequest(image_, block * 48, 48)});
  }
  expected.push_back({C::WriteBlock, finalBlockRequest(image_, 2037 * 48, 32)});
  expected.push_back({C::SetWriteProtection, request({1, 0x20, 1, 1})});
  expected.push_back({C::SetSystemLock, request({1, 0x0B, 1, 0})});
  EXPECT_REQUESTS(bus(), expected);
}

TEST_F(FullUpdateTest, PausesAsTheUnitNeedsAndAdvancesTheProgressBar) {
  std::vector<std::uint32_t> pauses{20, 20, 1000, 4000, 20, 20};
  pauses.insert(pauses.end(), 2038, 20);
  EXPECT_EQ(vclock::pauses(), pauses);
  EXPECT_EQ(vclock::writingSpans(), 1u);
  EXPECT_EQ(vclock::pausesOutsideWriting(), 0u) << "every pause is precisely paced";
  EXPECT_EQ(requestsOutsideWriting_, 0u) << "the machine stays awake up to the last restore command";
  EXPECT_FALSE(vclock::updateWriting()) << "and both are given back at the end";

  const std::vector<sim::LoggedRequest> sent = bus().requests();
  EXPECT_EQ(sent[3].time - sent[1].time, 5040u) << "from lifting protection to setting the address";
  EXPECT_EQ(sent.back().time, sent[sent.size() - 2].time) << "the restore commands follow without a pause";

  const std::vector<unsigned> positions = rec::progressPositions();
  ASSERT_EQ(positions.size(), 2039u);
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_EQ(positions[0], 0u);
  EXPECT_EQ(positions[1], 0u);     // 48 of 97,808 bytes
  EXPECT_EQ(positions[1019], 50u);  // 48,912 bytes
  EXPECT_EQ(positions[2037], 99u);  // 97,776 bytes
  EXPECT_EQ(positions[2038], 100u);
  EXPECT_EQ(rec::callsStartingWith("open progress").size(), 1u);
  EXPECT_EQ(rec::callsStartingWith("close progress").size(), 1u);
}

// Every value tells the fixed pauses the update then still makes; the first is told before
// the writing span begins, so that an interruption held in it always finds how long is left.
TEST_F(UpdateSequenceTest, EachProgressValueTellsThePhaseAndThePausesStillAhead) {
  using P = dlg::UpdatePhase;
  UpdaterTest::SetUp();
  connectReadyUnit(sim::UnitModel{}, kBuiltInImageSize);
  struct Told {
    dlg::UpdateProgress progress;
    std::size_t pausesBefore;
    bool writing;
  };
  std::vector<Told> told;
  rec::onProgress([&](const dlg::UpdateProgress& progress) {
    told.push_back({progress, vclock::pauses().size(), vclock::updateWriting()});
  });
  runConfirmed();

  ASSERT_EQ(told.size(), 4u + 1 + 2038 + 1);
  const std::vector<P> phasesBeforeTheTransfer = {P::Preparing, P::Preparing, P::Erasing, P::Preparing};
  for (std::size_t step = 0; step < phasesBeforeTheTransfer.size(); ++step) {
    EXPECT_EQ(told[step].progress.phase, phasesBeforeTheTransfer[step]) << step;
  }
  for (std::size_t block = 0; block <= 2038; ++block) {
    const dlg::UpdateProgress& progress = told[4 + block].progress;
    EXPECT_EQ(progress.phase, P::Writing);
    EXPECT_EQ(progress.bytesSent, std::min<std::size_t>(block * 48, kBuiltInImageSize));
  }
  EXPECT_EQ(told.back().progress.phase, P::Restoring);
  EXPECT_EQ(told[0].progress.pausesAheadMs, 40760u + 20 * 4 + 1000 + 4000);
  EXPECT_FALSE(told[0].writing);
  const std::vector<std::uint32_t>& pauses = vclock::pauses();
  for (std::size_t i = 0; i < told.size(); ++i) {
    EXPECT_EQ(told[i].progress.imageSize, kBuiltInImageSize);
    EXPECT_EQ(told[i].progress.pausesAheadMs, std::accumulate(pauses.begin() + told[i].pausesBefore, pauses.end(), 0u))
        << i;
    if (i > 0) {
      EXPECT_TRUE(told[i].writing) << i;
    }
  }
}

TEST_F(FullUpdateTest, LeavesTheImageInFlashTheUnitRestoredAndShowsVersion35) {
  expectFlashHoldsTheImage();
  const sim::UnitModel unit = bus().device(sim::unitPath()).unit;
  EXPECT_TRUE(unit.writeProtected);
  EXPECT_FALSE(unit.systemLock);
  expectSuccess();
  ASSERT_EQ(rec::boxes().size(), 1u);
  EXPECT_EQ(rec::boxes()[0].text, text(msg::kConfirm));
  EXPECT_EQ(rec::boxes()[0].caption, text(msg::kConfirmCaption));
  EXPECT_EQ(rec::boxes()[0].kind, dlg::BoxKind::ConfirmUpdate);
}

TEST_F(UpdateSequenceTest, EveryFailingStepIsReportedWithItsTextAndCodeAndStopsTheSequence) {
  using K = sim::FaultKind;
  const struct {
    const char* name;
    sim::Fault fault;
    std::uint16_t textId;
    std::wstring codeLine;  // empty: none
    std::size_t requestsSent;
    std::vector<std::uint32_t> pauses = {};  // empty: not checked here
  } cases[] = {
      {"lock not written", sim::faultAtCommand(K::WriteFails, C::SetSystemLock), msg::kSystemLockFailed,
       rec::codeLine(kReportNotWritten, sim::kErrorGeneralFailure), 0},
      {"lock reply lost", sim::faultAtCommand(K::ReadFails, C::SetSystemLock), msg::kSystemLockFailed,
       rec::codeLine(kReplyNotRead, sim::kErrorGeneralFailure), 1},
      {"lock not confirmed", sim::faultAtCommand(K::WrongResultByte, C::SetSystemLock), msg::kSystemLockFailed,
       rec::codeLine(kStepNotConfirmed, kStaleLastError), 1},
      {"unprotect not written", sim::faultAtCommand(K::WriteFails, C::SetWriteProtection),
       msg::kWriteProtectionFailed, rec::codeLine(kReportNotWritten, sim::kErrorGeneralFailure), 1},
      {"unprotect reply lost", sim::faultAtCommand(K::ReadFails, C::SetWriteProtection), msg::kWriteProtectionFailed,
       rec::codeLine(kReplyNotRead, sim::kErrorGeneralFailure), 2},
      {"unprotect refused", sim::faultAtCommand(K::ErrorReport, C::SetWriteProtection, 1, 0x0E01),
       msg::kWriteProtectionFailed, rec::codeLine(0x0E01, kStaleLastError), 2},
      {"unprotect not confirmed", sim::faultAtCommand(K::WrongResultByte, C::SetWriteProtection),
       msg::kWriteProtectionFailed, rec::codeLine(kStepNotConfirmed, kStaleLastError), 2},
      {"erase not written", sim::faultAtCommand(K::WriteFails, C::EraseFirmware), msg::kEraseFailed,
       rec::codeLine(kReportNotWritten, sim::kErrorGeneralFailure), 2},
      {"erase reply lost", sim::faultAtCommand(K::ReadFails, C::EraseFirmware), msg::kEraseFailed,
       rec::codeLine(kReplyNotRead, sim::kErrorGeneralFailure), 3},
      {"erase refused", sim::faultAtCommand(K::ErrorReport, C::EraseFirmware, 1, 0x80000BAD), msg::kEraseFailed,
       rec::codeLine(static_cast<std::int32_t>(0x80000BAD), kStaleLastError), 3},
      {"address not written", sim::faultAtCommand(K::WriteFails, C::SetWriteAddress), msg::kAddressNotSet,
       rec::codeLine(kReportNotWritten, sim::kErrorGeneralFailure), 3},
      {"address reply lost", sim::faultAtCommand(K::ReadFails, C::SetWriteAddress), msg::kAddressNotSet,
       rec::codeLine(kReplyNotRead, sim::kErrorGeneralFailure), 4},
      {"address refused", sim::faultAtCommand(K::ErrorReport, C::SetWriteAddress, 1, 0x0E01), msg::kAddressNotSet,
       rec::codeLine(0x0E01, kStaleLastError), 4},
      {"address refused with code FFFFFFFF", sim::faultAtCommand(K::ErrorReport, C::SetWriteAddress, 1, 0xFFFFFFFF),
       msg::kAddressNotSet, L"", 4},
      {"first block not written", sim::faultAtCommand(K::WriteFails, C::WriteBlock, 1), msg::kBlockNotWritten,
       rec::codeLine(kReportNotWritten, sim::kErrorGeneralFailure), 4},
      {"second block refused", sim::faultAtCommand(K::ErrorReport, C::WriteBlock, 2, 0x0E01), msg::kBlockNotWritten,
       rec::codeLine(0x0E01, kStaleLastError), 6},
      {"final block reply lost", sim::faultAtCommand(K::ReadFails, C::WriteBlock, 3), msg::kBlockNotWritten,
       rec::codeLine(kReplyNotRead, sim::kErrorGeneralFailure), 7},
      // A unit that stops answering holds the update for the transport's 30 s bound, not for ever.
      {"silent at the erase", sim::faultAtExchange(K::Silent, 3), msg::kEraseFailed,
       rec::codeLine(kReplyNotRead, sim::kErrorTimeout), 3, {20, 20, 1000, 30000, 4000}},
      {"silent at the second block", sim::faultAtExchange(K::Silent, 6), msg::kBlockNotWritten,
       rec::codeLine(kReplyNotRead, sim::kErrorTimeout), 6, {20, 20, 1000, 4000, 20, 20, 20, 30000}},
      {"stalled at the address", sim::faultAtExchange(K::Stalled, 4), msg::kAddressNotSet,
       rec::codeLine(kReportNotWritten, sim::kErrorTimeout), 3, {20, 20, 1000, 4000, 20, 30000}},
      {"stalled at the second block", sim::faultAtExchange(K::Stalled, 6), msg::kBlockNotWritten,
       rec::codeLine(kReportNotWritten, sim::kErrorTimeout), 5, {20, 20, 1000, 4000, 20, 20, 20, 30000}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    bus().setFault(c.fault);
    runConfirmed();
    expectFailureReport(c.textId, c.codeLine);
    EXPECT_EQ(rec::boxes().size(), 2u);
    EXPECT_COMMANDS(bus(), firstCommands(c.requestsSent));  // nothing is sent after the failure
    if (!c.pauses.empty()) {
      EXPECT_EQ(vclock::pauses(), c.pauses);
    }
    EXPECT_EQ(rec::callsStartingWith("open progress").size(), rec::callsStartingWith("close progress").size());
  }
}

TEST_F(UpdateSequenceTest, TheOutcomeNamesTheStepItsCodeAndTheSystemError) {
  using K = sim::FaultKind;
  auto failAt = [this](K kind, UnitCommand command, unsigned occurrence = 1, std::uint32_t code = 0) {
    return std::function<void()>([=] { bus().setFault(sim::faultAtCommand(kind, command, occurrence, code)); });
  };
  const struct {
    const char* name;
    std::function<void()> arrange;
    UpdateStep step;
    ExchangeResult code;
    std::uint32_t systemError;
  } cases[] = {
      {"written", [] {}, UpdateStep::None, 0, 0},
      {"cancelled", [] { rec::scriptBox(dlg::Answer::Stop); }, UpdateStep::Cancelled, 0, 0},
      {"no unit open", [] { resetDevice(); }, UpdateStep::UnitNotDetected, kNoUnitOpen, kStaleLastError},
      {"no image", [] { vclock::removeImage(); }, UpdateStep::ImageMissing, 0, 0},
      {"lock not confirmed", failAt(K::WrongResultByte, C::SetSystemLock), UpdateStep::SystemLock,
       kStepNotConfirmed, kStaleLastError},
      {"unprotect reply lost", failAt(K::ReadFails, C::SetWriteProtection), UpdateStep::WriteProtection,
       kReplyNotRead, sim::kErrorGeneralFailure},
      {"erase refused", failAt(K::ErrorReport, C::EraseFirmware, 1, 0x0E01), UpdateStep::Erase, 0x0E01,
       kStaleLastError},
      {"address refused with code FFFFFFFF", failAt(K::ErrorReport, C::SetWriteAddress, 1, 0xFFFFFFFF),
       UpdateStep::WriteAddress, kCodeNotShown, kStaleLastError},
      {"second block not written", failAt(K::WriteFails, C::WriteBlock, 2), UpdateStep::BlockTransfer,
       kReportNotWritten, sim::kErrorGeneralFailure},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange();
    rec::scriptBox(dlg::Answer::GoOn);
    const UpdateOutcome outcome = updateAndReport();
    EXPECT_EQ(outcome.step, c.step);
    EXPECT_EQ(outcome.code, c.code);
    EXPECT_EQ(outcome.systemError, c.systemError);
  }
}

TEST_F(UpdateSequenceTest, TheWritingSpanHoldsEveryRequestAndEndsBeforeTheFailureBoxOpens) {
  const struct {
    const char* name;
    sim::Fault fault;
    std::size_t pauses;
  } cases[] = {
      {"lock refused", sim::faultAtCommand(sim::FaultKind::WrongResultByte, C::SetSystemLock), 0},
      {"erase refused", sim::faultAtCommand(sim::FaultKind::ErrorReport, C::EraseFirmware, 1, 0x0E01), 4},
      {"second block refused", sim::faultAtCommand(sim::FaultKind::ErrorReport, C::WriteBlock, 2, 0x0E01), 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    bus().setFault(c.fault);
    bool heldWhileBoxOpen = true;
    rec::scriptBox(dlg::Answer::GoOn);
    rec::scriptBox(dlg::Answer::GoOn, [&] { heldWhileBoxOpen = vclock::updateWriting(); });
    updateAndReport();
    ASSERT_EQ(rec::boxes().size(), 2u);
    EXPECT_FALSE(heldWhileBoxOpen);
    EXPECT_EQ(vclock::writingSpans(), 1u);
    EXPECT_EQ(vclock::pauses().size(), c.pauses);
    EXPECT_EQ(vclock::pausesOutsideWriting(), 0u);
    EXPECT_EQ(requestsOutsideWriting_, 0u);
    EXPECT_FALSE(bus().requests().empty());
  }
}

TEST_F(UpdateSequenceTest, AFailedEraseStillWaitsTheSettleTime) {
  const struct {
    sim::FaultKind kind;
    std::vector<std::uint32_t> pauses;
  } cases[] = {{sim::FaultKind::ErrorReport, {20, 20, 1000, 4000}}, {sim::FaultKind::WriteFails, {20, 20, 4000}}};
  for (const auto& c : cases) {
    SetUp();
    bus().setFault(sim::faultAtCommand(c.kind, C::EraseFirmware, 1, 0x0E01));
    runConfirmed();
    EXPECT_EQ(vclock::pauses(), c.pauses);
    EXPECT_EQ(rec::boxes().back().text.rfind(text(msg::kEraseFailed), 0), 0u);
  }
}

TEST_F(UpdateSequenceTest, AnErrorReportWithCodeZeroLiftsTheProtection) {
  bus().setFault(sim::faultAtCommand(sim::FaultKind::ErrorReport, C::SetWriteProtection, 1, 0));
  runConfirmed();
  EXPECT_COMMANDS(bus(), updateCommands(3));
  expectSuccess();
}

TEST_F(UpdateSequenceTest, CodeLineFollowsTheUserLanguage) {
  rec::reset(rec::Language::German);
  connectReadyUnit(sim::UnitModel{});
  bus().setFault(sim::faultAtCommand(sim::FaultKind::WrongResultByte, C::SetSystemLock));
  runConfirmed();
  const rec::ShownBox& box = rec::boxes().back();
  EXPECT_EQ(box.text, rec::catalogueText(msg::kSystemLockFailed, rec::Language::German) +
                          L"\r\nDas System meldet Fehlercode 0x0000065b-0x00000002");
  EXPECT_EQ(box.caption, rec::catalogueText(msg::kUpdateFailedCaption, rec::Language::German));
  EXPECT_EQ(rec::text(ctl::kHintBox), rec::catalogueText(msg::kUpdateFailedHint, rec::Language::German));
}

TEST_F(UpdateSequenceTest, WithoutAnOpenUnitNothingIsAskedAndTheLossIsReported) {
  for (const bool withImage : {true, false}) {
    SCOPED_TRACE(withImage ? "with an image" : "without one too: the loss comes first");
    SetUp();
    if (!withImage) vclock::removeImage();
    resetDevice();
    updateAndReport();
    ASSERT_EQ(rec::boxes().size(), 1u);
    expectFailureReport(msg::kUnitNotDetected, L"");
    EXPECT_TRUE(bus().requests().empty());
  }
}

TEST_F(UpdateSequenceTest, WhatCannotBeWrittenIsRefusedBeforeAnyQuestionAndTheUnitStaysOpen) {
  for (const RefusalCase& c : refusalCases()) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.arrange();
    rec::scriptBox(dlg::Answer::GoOn);
    updateAndReport();
    expectRefused(c);
  }
}

// The same checks tell a status whether an update would start: the first that fails is named,
// and nothing is asked, shown or sent.
TEST_F(UpdateSequenceTest, TheChecksBeforeAnUpdateNameTheFirstThatFails) {
  const struct {
    const char* name;
    bool carried;
    bool damaged;
    std::uint32_t reportLength;
    UpdateStep refusal;
    UpdateStep imageRefusal;
  } cases[] = {
      {"fit", true, false, 52, UpdateStep::None, UpdateStep::None},
      {"no image and short reports", false, false, 51, UpdateStep::ImageMissing, UpdateStep::ImageMissing},
      {"damaged image and short reports", true, true, 51, UpdateStep::ImageDamaged, UpdateStep::ImageDamaged},
      {"short reports", true, false, 51, UpdateStep::UnitReportsTooShort, UpdateStep::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    connectWithOutputReports(c.reportLength);
    if (!c.carried) vclock::removeImage();
    if (c.damaged) vclock::setRecordedImage(vclock::sampleImage(image_.size() + 1));
    sys::FirmwareImage image;
    EXPECT_EQ(updateRefusal(image), c.refusal);
    EXPECT_EQ(imageRefusal(image), c.imageRefusal);
    if (c.refusal == UpdateStep::None) {
      EXPECT_EQ(Bytes(image.bytes, image.bytes + image.size), image_) << "the image to write";
    }
    EXPECT_TRUE(callsDuringUpdate().empty());
    EXPECT_TRUE(bus().requests().empty());
  }
}

TEST_F(UpdateSequenceTest, AUnitWhoseReportsJustHoldABlockTakesTheWholeImage) {
  for (const std::uint32_t length : {52u, 59u}) {
    SCOPED_TRACE(length);
    UpdaterTest::SetUp();
    sim::UnitModel model;
    model.outputReportLength = length;
    connectReadyUnit(model, kBuiltInImageSize);
    runConfirmed();
    EXPECT_COMMANDS(bus(), updateCommands(2038));
    for (const sim::LoggedRequest& sent : bus().requests()) ASSERT_EQ(sent.bytes.size(), length);
    expectSuccess();
    expectFlashHoldsTheImage();
  }
}

TEST_F(UpdateSequenceTest, CancelOrNoLeavesEverythingAsItWas) {
  const struct {
    const char* name;
    std::uint16_t escVersion;
    std::vector<dlg::Answer> answers;
  } cases[] = {
      {"Cancel at the warning", 0x0304, {dlg::Answer::Stop}},
      {"No to overwriting the same version", 0x0305, {dlg::Answer::GoOn, dlg::Answer::Stop}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    connectAfreshWithEscAt(c.escVersion);
    for (dlg::Answer answer : c.answers) rec::scriptBox(answer);
    updateAndReport();
    EXPECT_EQ(rec::boxes().size(), c.answers.size());
    expectNothingChanged();
    EXPECT_EQ(vclock::writingSpans(), 0u) << "no finer timer nor wakefulness for an update that does not run";
  }
}

TEST_F(UpdateSequenceTest, OnlyAnEscWithThisVersionOrNewerIsAskedBeforeOverwriting) {
  const struct {
    std::uint16_t escVersion;
    bool asked;
  } cases[] = {{0x0304, false}, {0x0000, false}, {0x0305, true}, {0x0400, true}, {0xFFFE, true}, {0xFFFF, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.escVersion);
    connectAfreshWithEscAt(c.escVersion);
    rec::scriptBox(dlg::Answer::GoOn);
    if (c.asked) rec::scriptBox(dlg::Answer::GoOn);
    updateAndReport();
    ASSERT_EQ(rec::boxes().size(), c.asked ? 2u : 1u);
    if (c.asked) {
      EXPECT_EQ(rec::boxes()[1].text, text(msg::kSameOrOlderVersion));
      EXPECT_EQ(rec::boxes()[1].caption, text(msg::kSameOrOlderVersionCaption));
      EXPECT_EQ(rec::boxes()[1].kind, dlg::BoxKind::OverwriteSameOrNewer);
    }
    EXPECT_COMMANDS(bus(), updateCommands(3));
    expectSuccess();
  }
}

// The dialog keeps handling device changes while a box is open.
void pullOutTheUnit(sim::Bus& bus) {
  bus.unplug(sim::unitPath());
  const DeviceBroadcast removal{kDeviceTypeInterface, sim::unitPath()};
  handleDeviceChange(kDeviceRemoveComplete, &removal);
}

TEST_F(UpdateSequenceTest, UnitPulledOutWhileABoxIsOpenFailsAtTheLockWithoutACodeLine) {
  const struct {
    const char* name;
    std::uint16_t escVersion;
    std::size_t boxWithRemoval;  // counted from 1
  } cases[] = {{"during the warning", 0x0305, 1}, {"during the version question", 0x0305, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    connectAfreshWithEscAt(c.escVersion);
    const auto pullOut = [this] { pullOutTheUnit(bus()); };
    rec::scriptBox(dlg::Answer::GoOn, c.boxWithRemoval == 1 ? pullOut : std::function<void()>{});
    if (c.boxWithRemoval == 2) rec::scriptBox(dlg::Answer::GoOn, pullOut);
    updateAndReport();
    ASSERT_EQ(rec::boxes().size(), c.boxWithRemoval + 1) << "a removed unit reports no version to ask about";
    expectFailureReport(msg::kSystemLockFailed, L"");
    EXPECT_TRUE(bus().requests().empty());
  }
}

TEST_F(UpdateSequenceTest, AUnitPulledOutWhileARefusalIsShownLeavesTheConnectionLostHint) {
  connectWithOutputReports(51);
  rec::scriptBox(dlg::Answer::GoOn, [this] { pullOutTheUnit(bus()); });
  updateAndReport();
  ASSERT_EQ(rec::boxes().size(), 1u);
  EXPECT_EQ(rec::boxes()[0].text, text(msg::kUnitReportsTooShort));
  EXPECT_FALSE(unitDevice.isOpen());
  EXPECT_FALSE(rec::enabled(ctl::kUpdateButton));
  EXPECT_EQ(rec::text(ctl::kHintBox), rec::hintText(msg::kConnectionLost));
  expectPanelZeroed();
}

TEST_F(UpdateSequenceTest, AUnitFoundWhileTheFailureBoxIsOpenStaysAndTheFailureHintIsStillShown) {
  bus().setFault(sim::faultAtCommand(sim::FaultKind::WrongResultByte, C::SetSystemLock));
  rec::scriptBox(dlg::Answer::GoOn);
  rec::scriptBox(dlg::Answer::GoOn, [] {
    const DeviceBroadcast arrival{kDeviceTypeInterface, sim::unitPath()};
    handleDeviceChange(kDeviceArrival, &arrival);
  });
  updateAndReport();
  EXPECT_TRUE(unitDevice.isOpen()) << "the unit was given up before the box opened and found again in it";
  EXPECT_TRUE(rec::enabled(ctl::kUpdateButton));
  EXPECT_EQ(rec::text(ctl::kHintBox), text(msg::kUpdateFailedHint));
}

// Every exchange of an update, struck in turn by a lost reply, by the unit being pulled
// out and by a unit that stops answering: the step it belongs to fails, or, for the
// restore commands, nothing does.
TEST_F(UpdateSequenceTest, AFaultAtAnyExchangeFailsThatStepOrIsIgnoredDuringRestore) {
  const std::uint16_t stepText[] = {msg::kSystemLockFailed, msg::kWriteProtectionFailed, msg::kEraseFailed,
                                    msg::kAddressNotSet,    msg::kBlockNotWritten,       msg::kBlockNotWritten,
                                    msg::kBlockNotWritten};
  const std::size_t exchanges = updateCommands(3).size();
  const struct {
    const char* name;
    sim::FaultKind kind;
    std::wstring codeLine;
    std::size_t sentBeforeFault;  // whether the struck request itself was written
  } kinds[] = {
      {"read fails", sim::FaultKind::ReadFails, rec::codeLine(kReplyNotRead, sim::kErrorGeneralFailure), 1},
      {"unplug", sim::FaultKind::Unplug, rec::codeLine(kReportNotWritten, sim::kErrorDeviceNotConnected), 0},
      {"silent", sim::FaultKind::Silent, rec::codeLine(kReplyNotRead, sim::kErrorTimeout), 1},
      {"stalled", sim::FaultKind::Stalled, rec::codeLine(kReportNotWritten, sim::kErrorTimeout), 0},
  };
  for (const auto& kind : kinds) {
    for (unsigned k = 1; k <= exchanges; ++k) {
      SCOPED_TRACE(::testing::Message() << kind.name << " at exchange " << k);
      SetUp();
      bus().setFault(sim::faultAtExchange(kind.kind, k));
      runConfirmed();
      if (k <= std::size(stepText)) {
        expectFailureReport(stepText[k - 1], kind.codeLine);
        EXPECT_COMMANDS(bus(), firstCommands(k - 1 + kind.sentBeforeFault));  // nothing is sent after it
      } else {
        expectSuccess();
        expectFlashHoldsTheImage();
      }
      EXPECT_EQ(rec::callsStartingWith("open progress").size(), rec::callsStartingWith("close progress").size());
    }
  }
}

// Replies to the restore commands are not needed, so a unit silent there costs one bounded
// wait for each of them and the update still succeeds.
TEST_F(UpdateSequenceTest, AUnitSilentDuringTheRestoreStillEndsInSuccess) {
  bus().setFault(sim::faultAtExchange(sim::FaultKind::Silent, 8));
  runConfirmed();
  expectSuccess();
  expectFlashHoldsTheImage();
  EXPECT_COMMANDS(bus(), updateCommands(3));
  const std::vector<std::uint32_t>& pauses = vclock::pauses();
  ASSERT_GE(pauses.size(), 2u);
  EXPECT_EQ(std::vector<std::uint32_t>(pauses.end() - 2, pauses.end()), (std::vector<std::uint32_t>{30000, 30000}));
}

}  // namespace
