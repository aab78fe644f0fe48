// The product exe on its own Win32 HID path: SetupAPI and hid.dll are stand-ins that describe
// a stand-in bus, whose server answers from the simulated unit model of a scenario over named
// pipes the product opens, writes and reads as HID devices. The test drives the product's
// windows from outside and, at the end, checks the model's flash and request log.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "base/format_text.h"
#include "base/little_endian.h"
#include "link/unit_protocol.h"
#include "adapters/sim/unit_model.h"
#include "program_driver.h"
#include "protocol.h"
#include "res/controls.h"
#include "shared/scenario_outcomes.h"
#include "wine/dialog_driver.h"
#include "wine/program_reports.h"
#include "wine/updater_views.h"

namespace {

using drive::catalogueText;
using drive::DialogView;
using drive::MessageBoxView;
using namespace std::chrono_literals;

using sim::kFlashSize;
constexpr std::size_t kImageSize = 97808;
constexpr std::size_t kImageBlocks = 2038;
constexpr std::size_t kFinalReportBytes = 1 << 20;
constexpr DWORD kProgramEndMs = 20000;

std::wstring widen(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

struct FinalReport {
  std::vector<std::uint8_t> flash;
  std::vector<UnitCommand> commands;
};

// The server of the stand-in bus, started with a scenario; ended by asking for its report.
class StandInBus {
 public:
  explicit StandInBus(const std::wstring& scenario) : server_(widen(STAND_IN_SERVER), scenario) {
    drive::waitUntil([this] {
      return WaitNamedPipeW(stand_in::kControlPipe, NMPWAIT_USE_DEFAULT_WAIT) || server_.waitForExit(0) != STILL_ACTIVE;
    });
  }

  FinalReport finish() {
    std::vector<std::uint8_t> answer(kFinalReportBytes);
    const int length = stand_in::askServer(stand_in::kFinalReport, answer.data(), kFinalReportBytes);
    EXPECT_EQ(server_.waitForExit(kProgramEndMs), 0u) << "the server did not end after its report";
    FinalReport report;
    if (length < static_cast<int>(kFlashSize)) {
      ADD_FAILURE() << "no final report from the server";
      return report;
    }
    report.flash.assign(answer.begin(), answer.begin() + kFlashSize);
    for (std::size_t at = kFlashSize; at + 2 <= static_cast<std::size_t>(length);) {
      const std::size_t requestLength = le::read16(&answer[at]);
      report.commands.push_back(static_cast<UnitCommand>(requestLength > 1 ? answer[at + 3] : 0));
      at += 2 + requestLength;
    }
    return report;
  }

 private:
  driver::Program server_;
};

std::vector<std::uint8_t> productImage() {
  HMODULE product = LoadLibraryExW(widen(STAND_IN_PRODUCT).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = product ? FindResourceW(product, MAKEINTRESOURCEW(140), MAKEINTRESOURCEW(10)) : nullptr;  // RT_RCDATA
  std::vector<std::uint8_t> image;
  if (found != nullptr) {
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(product, found)));
    image.assign(bytes, bytes + SizeofResource(product, found));
  }
  if (product != nullptr) FreeLibrary(product);
  return image;
}

std::vector<UnitCommand> identityCommands() {
  return {UnitCommand::QueryState, UnitCommand::ReadEscInfo, UnitCommand::ReadEscLoaderInfo};
}

// Identity, then lock, unprotect, erase, address, blocks; on success protect and unlock.
std::vector<UnitCommand> updateCommands(std::size_t blocks, bool succeeded) {
  using C = UnitCommand;
  std::vector<UnitCommand> commands = identityCommands();
  for (C preparation : {C::SetSystemLock, C::SetWriteProtection, C::EraseFirmware, C::SetWriteAddress}) {
    commands.push_back(preparation);
  }
  commands.resize(commands.size() + blocks, C::WriteBlock);
  if (!succeeded) return commands;
  commands.push_back(C::SetWriteProtection);
  commands.push_back(C::SetSystemLock);
  return commands;
}

std::wstring productFolder() {
  const std::wstring product = widen(STAND_IN_PRODUCT);
  return product.substr(0, product.find_last_of(L"\\/"));
}

// Runs the product on the bus until driver returns, then closes it and checks it ends well.
void runProduct(const std::function<void(HWND dialog)>& driver, const std::wstring& arguments = L"") {
  driver::Program product(widen(STAND_IN_PRODUCT), arguments);
  ASSERT_TRUE(product.started()) << "cannot start " << STAND_IN_PRODUCT;
  HWND dialog = product.waitForMainDialog(60000);
  ASSERT_NE(dialog, nullptr) << "the product's dialog never showed";
  driver(dialog);
  drive::click(dialog, ctl::kCloseButton);
  EXPECT_EQ(product.waitForExit(kProgramEndMs), 0u);
}

// Started without options it makes no file, neither beside itself nor in Documents.
TEST(ProductHidPath, FindsTheUnitAndShowsItsVersions) {
  const std::set<std::wstring> besideBefore = reports::filesIn(productFolder(), L"*");
  const std::set<std::wstring> documentsBefore = reports::filesIn(reports::documentsFolder(), L"spindra-report-*");
  StandInBus bus(L"ready");
  runProduct([](HWND dialog) { EXPECT_EQ(drive::awaitView(dialog, drive::withReadyUnit()), drive::withReadyUnit()); });
  EXPECT_EQ(bus.finish().commands, identityCommands());
  EXPECT_EQ(reports::filesIn(productFolder(), L"*"), besideBefore);
  EXPECT_EQ(reports::filesIn(reports::documentsFolder(), L"spindra-report-*"), documentsBefore);
}

std::string utcMinute(const SYSTEMTIME& utc) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute);
  return text;
}

// --report writes beside the program, under the minute it started in; the report names every
// HID device discovery looked at, with its ids, and replays to what the dialog showed.
TEST(ProductHidPath, ReportGoesBesideTheProgramUnderADatedName) {
  const std::set<std::wstring> before = reports::filesIn(productFolder(), L"*");
  SYSTEMTIME started, ended;
  GetSystemTime(&started);
  StandInBus bus(L"ready");
  runProduct([](HWND dialog) { EXPECT_EQ(drive::awaitView(dialog, drive::withReadyUnit()), drive::withReadyUnit()); },
             L"--report");
  GetSystemTime(&ended);
  EXPECT_EQ(bus.finish().commands, identityCommands());

  std::set<std::wstring> made = reports::filesIn(productFolder(), L"*");
  for (const std::wstring& old : before) made.erase(old);
  ASSERT_EQ(made.size(), 1u) << "files made beside the program";
  const std::string name = wideToUtf8(*made.begin());
  std::smatch minute;
  ASSERT_TRUE(std::regex_match(name, minute, std::regex(R"(spindra-report-(\d{4}-\d\d-\d\dT\d{4}Z)\.jsonl)"))) << name;
  EXPECT_GE(minute[1].str(), utcMinute(started));
  EXPECT_LE(minute[1].str(), utcMinute(ended));

  // Handed on to the replay under a name of its own.
  const std::wstring report = reports::freshPath("product-ready");
  ASSERT_TRUE(MoveFileW((productFolder() + L"\\" + *made.begin()).c_str(), report.c_str()));
  reports::expectRunOfTheProgram(report, "en");
  const std::vector<reports::Line> lines = reports::read(report);
  const std::vector<reports::Line> listed = reports::linesOf(lines, "list");
  ASSERT_FALSE(listed.empty());
  const std::vector<std::string> paths = listed.front().value("paths", std::vector<std::string>{});
  EXPECT_GE(paths.size(), 2u) << "the unit and another HID device";
  std::set<std::string> opened, identified;
  for (const reports::Line& open : reports::linesOf(lines, "open")) opened.insert(open.value("path", ""));
  for (const reports::Line& attributes : reports::linesOf(lines, "attributes")) {
    if (attributes.contains("vendor") && attributes.contains("product")) identified.insert(attributes.dump());
  }
  EXPECT_EQ(opened, std::set<std::string>(paths.begin(), paths.end())) << "every device listed was looked at";
  EXPECT_EQ(identified.size(), paths.size()) << "each with its ids";
  EXPECT_EQ(lines.back().value("readiness", ""), "Ready");
  reports::expectReplayToShow(report, {{"exitCode", 0}, {"outcome", "Ready"}, {"update", "not run"}});
}

// The whole test image at the unit's own pace (about 46 s of pauses).
TEST(ProductHidPath, FullUpdateWritesTheImageIntoTheEsc) {
  const std::vector<std::uint8_t> image = productImage();
  ASSERT_EQ(image.size(), kImageSize);
  StandInBus bus(L"ready");
  const auto started = std::chrono::steady_clock::now();
  runProduct([](HWND dialog) {
    ASSERT_EQ(drive::awaitView(dialog, drive::withReadyUnit()), drive::withReadyUnit());
    drive::confirmUpdate(dialog);
    HWND progress = drive::waitForOwnedWindow(dialog, L"msctls_progress32", 30s);
    ASSERT_NE(progress, nullptr) << "no progress window";
    EXPECT_TRUE(drive::waitUntilGone(progress, 3min)) << "the progress window stayed";
    EXPECT_EQ(drive::awaitView(dialog, drive::afterSuccessfulUpdate()), drive::afterSuccessfulUpdate());
    EXPECT_EQ(drive::findOwnedWindow(dialog, L"#32770"), nullptr) << "a box is open after the update";
  });
  std::cout << "update run took "
            << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
            << " ms\n";

  const FinalReport report = bus.finish();
  EXPECT_EQ(report.commands, updateCommands(kImageBlocks, true));
  std::vector<std::uint8_t> expectedFlash(kFlashSize, 0xFF);
  std::copy(image.begin(), image.end(), expectedFlash.begin());
  ASSERT_EQ(report.flash.size(), kFlashSize);
  const std::size_t sameBytes =
      std::mismatch(report.flash.begin(), report.flash.end(), expectedFlash.begin()).first - report.flash.begin();
  EXPECT_EQ(sameBytes, kFlashSize) << "the flash differs from the image (0xFF after it) from this byte on";
}

// Confirms an update on the given unit, which must end as an update failing at the command
// fails: in the failure box with the step's text and the code line of a failed read with
// systemError, no sooner than atLeast after the confirmation; then the unit is given up. The
// unit must have received expected.
void expectFailedUpdate(const std::wstring& scenario, UnitCommand failing, DWORD systemError,
                        std::chrono::seconds atLeast, const std::vector<UnitCommand>& expected,
                        const std::wstring& arguments = L"") {
  const outcomes::AfterUpdate& row = outcomes::failureAt(failing);
  StandInBus bus(scenario);
  runProduct([&](HWND dialog) {
    ASSERT_EQ(drive::awaitView(dialog, drive::withReadyUnit()), drive::withReadyUnit());
    drive::confirmUpdate(dialog);
    const auto confirmed = std::chrono::steady_clock::now();
    HWND failure = drive::waitForMessageBox(dialog, atLeast + 60s);
    ASSERT_NE(failure, nullptr) << "no failure box";
    EXPECT_GE(std::chrono::steady_clock::now() - confirmed, atLeast) << "the wait ended before its bound";
    const std::wstring codeLine = drive::formattedCatalogueText(40036, row.result, systemError);
    EXPECT_EQ(drive::readMessageBox(failure),
              (MessageBoxView{catalogueText(40002), catalogueText(row.boxText) + L"\r\n" + codeLine, {IDOK}}));
    drive::click(failure, IDOK);
    const DialogView failed = drive::withoutUnit(drive::hintOf(row), L"ROUNDEL");
    EXPECT_EQ(drive::awaitView(dialog, failed), failed);
  }, arguments);
  EXPECT_EQ(bus.finish().commands, expected);
}

// The reply to the third block never arrives: the server breaks the pipe, so the product's
// read fails with the broken pipe's error.
TEST(ProductHidPath, UnreadBlockReplyEndsTheUpdateWithTheFailureBox) {
  expectFailedUpdate(L"fail-at:WriteBlock:3", UnitCommand::WriteBlock, ERROR_BROKEN_PIPE, 0s,
                     updateCommands(3, false));
}

// --record FILE: the report of a failed update holds the system's words for the failed read
// and replays to the failure the box showed.
TEST(ProductHidPath, ReportOfAFailedUpdateReplaysToTheFailureTheBoxShowed) {
  const std::wstring report = reports::freshPath("product-lock-failure");
  std::vector<UnitCommand> lockOnly = identityCommands();
  lockOnly.push_back(UnitCommand::SetSystemLock);
  expectFailedUpdate(L"fail-at:SetSystemLock", UnitCommand::SetSystemLock, ERROR_BROKEN_PIPE, 0s, lockOnly,
                     L"--record \"" + report + L"\"");

  reports::expectRunOfTheProgram(report, "en");
  const std::vector<reports::Line> lines = reports::read(report);
  const std::vector<reports::Line> reads = reports::linesOf(lines, "read");
  ASSERT_FALSE(reads.empty());
  const reports::Line& failedRead = reads.back();
  EXPECT_FALSE(failedRead.value("ok", true));
  EXPECT_EQ(failedRead.value("error", 0u), static_cast<unsigned>(ERROR_BROKEN_PIPE));
  const std::string words = failedRead.value("platform", "");
  EXPECT_FALSE(words.empty()) << "no words of the system for the failed read";
  EXPECT_EQ(words.find_last_of("\r\n"), std::string::npos) << words;
  for (const reports::Line& read : reads) {
    if (read.value("ok", false)) {
      EXPECT_FALSE(read.contains("platform")) << read.dump();
    }
  }

  const outcomes::AfterUpdate& row = outcomes::failureAt(UnitCommand::SetSystemLock);
  const reports::Line& outcome = lines.back();
  EXPECT_EQ(outcome.value("step", ""), row.step);
  EXPECT_EQ(outcome.value("code", 0), row.result);
  EXPECT_EQ(outcome.value("systemError", 0u), static_cast<unsigned>(ERROR_BROKEN_PIPE));
  reports::expectReplayToShow(report, {{"exitCode", row.exitCode}, {"update", row.update}, {"step", row.step}});
}

// The unit stops answering at the lock: the product's own bound ends the wait, and the
// failure box names the timeout as the system error.
TEST(ProductHidPath, SilentUnitEndsTheUpdateAfterTheBoundWithTheTimeout) {
  std::vector<UnitCommand> lockOnly = identityCommands();
  lockOnly.push_back(UnitCommand::SetSystemLock);
  expectFailedUpdate(L"silent-from:4", UnitCommand::SetSystemLock, ERROR_TIMEOUT, 29s, lockOnly);
}

// A unit whose output report cannot hold a block is refused before the user is asked and
// before anything reaches it: the ESC keeps its firmware and the unit stays open.
TEST(ProductHidPath, UnitWithShortOutputReportIsRefusedBeforeAnythingIsSent) {
  const outcomes::AfterUpdate& row = outcomes::afterUpdate("short-reports");
  StandInBus bus(widen(row.scenario));
  runProduct([&](HWND dialog) {
    ASSERT_EQ(drive::awaitView(dialog, drive::withReadyUnit()), drive::withReadyUnit());
    drive::click(dialog, ctl::kUpdateButton);
    HWND refusal = drive::waitForMessageBox(dialog);
    ASSERT_NE(refusal, nullptr) << "no refusal box";
    EXPECT_EQ(drive::readMessageBox(refusal), (MessageBoxView{catalogueText(40002), catalogueText(row.boxText), {IDOK}}));
    drive::click(refusal, IDOK);
    DialogView refused = drive::withReadyUnit();
    refused.updateEnabled = false;
    refused.hint = drive::hintOf(row);
    EXPECT_EQ(drive::awaitView(dialog, refused), refused);
  });
  const FinalReport report = bus.finish();
  EXPECT_EQ(report.commands, identityCommands());
  ASSERT_FALSE(report.flash.empty());
  EXPECT_TRUE(std::all_of(report.flash.begin(), report.flash.end(), [](std::uint8_t b) { return b == sim::kOldFirmwareByte; }))
      << "the ESC's old firmware was touched";
}

}  // namespace
