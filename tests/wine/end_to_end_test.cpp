// The program as a user meets it. The simulated-unit build's own entry and dialog run on the
// test's main thread while a second thread reads the screen, presses buttons, answers the
// message boxes and plugs the simulated unit in and out. Registered once per interface
// language; the expected texts are the catalogue's in that language.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "adapters/sim/simulated_bus.h"
#include "programs/windows/simulated_unit_program.h"
#include "res/controls.h"
#include "base/format_text.h"
#include "shared/scenario_outcomes.h"
#include "wine/dialog_driver.h"
#include "wine/program_reports.h"
#include "wine/updater_views.h"

namespace {

using drive::catalogueText;
using drive::confirmUpdate;
using drive::DialogView;
using drive::hintOf;
using drive::hintWithInstructions;
using drive::MessageBoxView;
using drive::withoutUnit;
using drive::withReadyUnit;
using namespace std::chrono_literals;

constexpr int kCloseButton = 2;
const std::wstring kUnitPath = sim::unitPath();
HWND shownMainDialog() {
  HWND dialog = drive::waitForMainDialog();
  EXPECT_NE(dialog, nullptr) << "the dialog never showed";
  return dialog;
}

// The main dialog while it is still being set up (hidden): boxes of the start are its.
HWND mainDialogInTheMaking() {
  HWND dialog = nullptr;
  drive::waitUntil([&] { return (dialog = drive::findMainDialog(GetCurrentProcessId())) != nullptr; });
  EXPECT_NE(dialog, nullptr) << "no dialog was created";
  return dialog;
}

void closeAndWaitUntilGone(HWND dialog) {
  drive::click(dialog, kCloseButton);
  EXPECT_TRUE(drive::waitUntilGone(dialog)) << "the dialog is still there after Close";
}

// The command line that has the program write its report to path.
std::wstring recordTo(const std::wstring& path) { return L"--record \"" + path + L"\""; }

std::string interfaceLanguage() { return drive::germanInterface() ? "de" : "en"; }

// The dialog's events and the answers to its boxes, in the report's words, in order.
std::vector<std::string> eventsOf(const std::wstring& path) {
  std::vector<std::string> events;
  for (const reports::Line& line : reports::linesOf(reports::read(path), "event")) {
    std::string event = line.value("event", "");
    for (const char* detail : {"button", "box", "answer"}) {
      if (line.contains(detail)) event += " " + line.value(detail, "");
    }
    events.push_back(event);
  }
  return events;
}

std::vector<std::uint8_t> embeddedImage() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(140), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) return {};
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
  return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(nullptr, found));
}

std::uint64_t timeOf(const std::vector<sim::LoggedRequest>& log, UnitCommand command, bool last = false) {
  const auto matches = [command](const sim::LoggedRequest& request) { return request.command() == command; };
  if (last) {
    auto found = std::find_if(log.rbegin(), log.rend(), matches);
    return found == log.rend() ? 0 : found->time;
  }
  auto found = std::find_if(log.begin(), log.end(), matches);
  return found == log.end() ? 0 : found->time;
}

TEST(EndToEnd, StartWithoutUnitTellsWhatToDo) {
  const outcomes::AtStart& row = outcomes::atStart("no-unit");
  const int exitCode = drive::runSimulatedProgram(row.scenario, [&] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    const DialogView expected = withoutUnit(hintOf(row));
    EXPECT_EQ(drive::awaitView(dialog, expected), expected);
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
}

TEST(EndToEnd, StartWithReadyUnitOffersTheUpdate) {
  const int exitCode = drive::runSimulatedProgram("ready", [] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    EXPECT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
}

// Pixels as 0x00RRGGBB, row by row.
using Pixels = std::vector<std::uint32_t>;

std::uint32_t asPixel(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

Pixels pixelsOf(HDC source, HBITMAP bitmap, int width, int height) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  Pixels pixels(static_cast<std::size_t>(width) * height);
  GetDIBits(source, bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
  for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

// The colours the picture resource is drawn in, its transparent green left out.
std::vector<std::uint32_t> pictureColours() {
  auto picture = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(121), IMAGE_BITMAP, 0, 0,
                                                 LR_CREATEDIBSECTION));
  BITMAP size{};
  GetObjectW(picture, sizeof(size), &size);
  HDC screen = GetDC(nullptr);
  Pixels colours = pixelsOf(screen, picture, size.bmWidth, size.bmHeight);
  ReleaseDC(nullptr, screen);
  DeleteObject(picture);
  std::sort(colours.begin(), colours.end());
  colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  colours.erase(std::remove(colours.begin(), colours.end(), 0x00FF00u), colours.end());
  return colours;
}

// Has the program paint the whole dialog now and waits until that paint is over.
void repaintAndWait(HWND dialog) {
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_TRUE(drive::waitUntil([dialog] { return GetUpdateRect(dialog, nullptr, FALSE) == FALSE; }));
  // A sent message is taken only between messages, so the paint that emptied the update
  // region has finished once this returns.
  SendMessageW(dialog, WM_NULL, 0, 0);
}

// What the dialog shows right of the version group, down to the group's bottom: the
// picture's room, in the dialog's client coordinates.
Pixels pictureRoom(HWND dialog, RECT* room) {
  RECT group;
  GetWindowRect(GetDlgItem(dialog, ctl::kVersionGroup), &group);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&group), 2);
  RECT client;
  GetClientRect(dialog, &client);
  *room = {group.right, 0, client.right, group.bottom};
  const int width = room->right - room->left, height = room->bottom - room->top;
  HDC window = GetDC(dialog);
  HDC copy = CreateCompatibleDC(window);
  HBITMAP shot = CreateCompatibleBitmap(window, width, height);
  HGDIOBJ previous = SelectObject(copy, shot);
  BitBlt(copy, 0, 0, width, height, window, room->left, room->top, SRCCOPY);
  SelectObject(copy, previous);
  Pixels pixels = pixelsOf(copy, shot, width, height);
  DeleteObject(shot);
  DeleteDC(copy);
  ReleaseDC(dialog, window);
  return pixels;
}

TEST(EndToEnd, PictureShowsOnlyItsOwnColoursOnTheDialogBackground) {
  const std::vector<std::uint32_t> artwork = pictureColours();
  ASSERT_GT(artwork.size(), 2u) << "the picture resource did not load";
  const std::uint32_t background = asPixel(GetSysColor(COLOR_BTNFACE));
  const int exitCode = drive::runSimulatedProgram("ready", [&] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    repaintAndWait(dialog);
    RECT room;
    const Pixels shown = pictureRoom(dialog, &room);
    std::size_t artworkPixels = 0, foreignPixels = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (std::binary_search(artwork.begin(), artwork.end(), shown[i])) {
        ++artworkPixels;
      } else if (shown[i] != background && foreignPixels++ == 0) {
        const auto width = static_cast<std::size_t>(room.right - room.left);
        ADD_FAILURE() << "first pixel of another colour: " << std::hex << shown[i] << std::dec << " at x "
                      << room.left + i % width << ", y " << room.top + i / width;
      }
    }
    EXPECT_EQ(foreignPixels, 0u) << "pixels that are neither artwork nor background, of " << shown.size();
    EXPECT_GT(artworkPixels, shown.size() / 20) << "the picture was not drawn";
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
}

// A theme or High Contrast change of the face colour while the dialog runs: the red row is
// then painted on the new colour, its text still red.
TEST(EndToEnd, RedRowBackgroundFollowsASystemColourChange) {
  const int exitCode = drive::runSimulatedProgram("ready", [] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    const int face = COLOR_BTNFACE;
    const COLORREF original = GetSysColor(face);
    const COLORREF changed = original == RGB(0, 0, 128) ? RGB(0, 128, 0) : RGB(0, 0, 128);
    ASSERT_TRUE(SetSysColors(1, &face, &changed));
    HDC context = GetDC(dialog);
    for (const int row : {ctl::kEscLabel, ctl::kEscVersionText}) {
      DWORD_PTR answer = 0;
      ASSERT_NE(SendMessageTimeoutW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, row)), SMTO_BLOCK, 5000, &answer),
                0);
      LOGBRUSH background{};
      ASSERT_NE(GetObjectW(reinterpret_cast<HBRUSH>(answer), sizeof(background), &background), 0) << "control " << row;
      EXPECT_EQ(background.lbStyle, static_cast<UINT>(BS_SOLID)) << "control " << row;
      EXPECT_EQ(background.lbColor, changed) << "control " << row;
      EXPECT_EQ(GetTextColor(context), RGB(255, 0, 0)) << "control " << row;
    }
    ReleaseDC(dialog, context);
    SetSysColors(1, &face, &original);
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
}

TEST(EndToEnd, UnitPulledOutAndPluggedBackInWhileRunning) {
  const int exitCode = drive::runSimulatedProgram("ready", [] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());

    simulatedBus().unplug(kUnitPath);
    const DialogView lost = withoutUnit(hintWithInstructions(40020), L"ROUNDEL");
    EXPECT_EQ(drive::awaitView(dialog, lost), lost);
    EXPECT_EQ(simulatedBus().device(kUnitPath).closes, 1);

    simulatedBus().plug(kUnitPath);
    EXPECT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(simulatedBus().device(kUnitPath).opens, 2);
  EXPECT_EQ(simulatedBus().device(kUnitPath).closes, 2);
}

struct CloseWay {
  const char* name;
  void (*close)(HWND dialog);
};

void PrintTo(const CloseWay& way, std::ostream* out) { *out << way.name; }

class EndToEndClose : public testing::TestWithParam<CloseWay> {};

TEST_P(EndToEndClose, EndsTheProgramAndClosesTheOpenUnit) {
  const CloseWay way = GetParam();
  const int exitCode = drive::runSimulatedProgram("ready", [&way] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    ASSERT_EQ(simulatedBus().device(kUnitPath).closes, 0);
    way.close(dialog);
    EXPECT_TRUE(drive::waitUntilGone(dialog)) << "the dialog is still there";
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(simulatedBus().device(kUnitPath).opens, 1);
  EXPECT_EQ(simulatedBus().device(kUnitPath).closes, 1);
}

const CloseWay kCloseWays[] = {
    {"CloseButton", [](HWND dialog) { drive::click(dialog, kCloseButton); }},
    {"EscapeKey", [](HWND dialog) { drive::pressEscape(dialog); }},
    {"CloseMessage", [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); }},
    {"TitleBarCloseBox", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
};
INSTANTIATE_TEST_SUITE_P(EveryWay, EndToEndClose, testing::ValuesIn(kCloseWays),
                         [](const testing::TestParamInfo<CloseWay>& way) { return std::string(way.param.name); });

TEST(EndToEnd, CommandsOtherThanCloseAndUpdateChangeNothing) {
  const int exitCode = drive::runSimulatedProgram("ready", [] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    for (WORD command : {IDOK, 1005, 40004}) {
      // Sent, not posted: once it returns the command has been handled. A command that
      // opened a box would not return in time.
      DWORD_PTR answer = 0;
      EXPECT_NE(SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0, SMTO_BLOCK, 5000, &answer),
                0)
          << "command " << command;
      EXPECT_TRUE(IsWindow(dialog)) << "command " << command;
      EXPECT_EQ(drive::findOwnedWindow(dialog, L"#32770"), nullptr) << "command " << command;
      EXPECT_EQ(drive::readDialog(dialog), withReadyUnit()) << "command " << command;
    }
    EXPECT_EQ(simulatedBus().device(kUnitPath).closes, 0);
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
}

// Any program can send the dialog a device change with any code and any data. Only arrival
// and removal come with a record to read; every other code is answered as it is without
// data (not handled, 0) and changes nothing. The data is never touched: a guard page as the
// data would lose its guard at the first read, even where the platform swallows the fault.
TEST(EndToEnd, ForeignDeviceChangesAreAnsweredWithoutReadingTheirData) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  void* guarded = VirtualAlloc(nullptr, system.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE | PAGE_GUARD);
  ASSERT_NE(guarded, nullptr);
  // Whether the guard is gone; it is set again for the next message.
  const auto touched = [guarded, &system] {
    MEMORY_BASIC_INFORMATION page{};
    const bool read = VirtualQuery(guarded, &page, sizeof(page)) == 0 || (page.Protect & PAGE_GUARD) == 0;
    DWORD previous = 0;
    VirtualProtect(guarded, system.dwPageSize, PAGE_READWRITE | PAGE_GUARD, &previous);
    return read;
  };
  const int exitCode = drive::runSimulatedProgram("ready", [&] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    // Configuration changed, device nodes changed, remove pending, custom event.
    for (WPARAM event : {0x0018, 0x0007, 0x8003, 0x8006}) {
      for (LPARAM data : {static_cast<LPARAM>(0x10), static_cast<LPARAM>(0xDEADBEEF), reinterpret_cast<LPARAM>(guarded)}) {
        DWORD_PTR answer = 1;
        EXPECT_NE(SendMessageTimeoutW(dialog, WM_DEVICECHANGE, event, data, SMTO_BLOCK, 5000, &answer), 0);
        EXPECT_EQ(answer, 0u) << std::hex << event << " with data " << data;
        EXPECT_FALSE(touched()) << std::hex << event << " with data " << data << ": the data was read";
      }
    }
    EXPECT_EQ(drive::readDialog(dialog), withReadyUnit());
    EXPECT_EQ(simulatedBus().device(kUnitPath).closes, 0);
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
  VirtualFree(guarded, 0, MEM_RELEASE);
}

// Runs the whole 97,808-byte image at the unit's own pace (about 46 s).
TEST(EndToEnd, FullUpdateAtRealPacingWritesTheImageIntoTheEsc) {
  const std::wstring report = reports::freshPath("whole-update");
  const auto started = std::chrono::steady_clock::now();
  const int exitCode = drive::runSimulatedProgram("ready", [] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    confirmUpdate(dialog);

    HWND progress = drive::waitForOwnedWindow(dialog, L"msctls_progress32", 30s);
    ASSERT_NE(progress, nullptr) << "no progress window";
    EXPECT_EQ(drive::storedTitle(progress), catalogueText(40029));
    EXPECT_TRUE(drive::waitUntilGone(progress, 3min)) << "the progress window stayed";

    EXPECT_EQ(drive::awaitView(dialog, drive::afterSuccessfulUpdate()), drive::afterSuccessfulUpdate());
    EXPECT_EQ(drive::findOwnedWindow(dialog, L"#32770"), nullptr) << "a box is open after the update";
    closeAndWaitUntilGone(dialog);
  }, recordTo(report));
  EXPECT_EQ(exitCode, 0);
  std::cout << "update run took "
            << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count()
            << " ms\n";

  const std::vector<std::uint8_t> image = embeddedImage();
  ASSERT_EQ(image.size(), 97808u);
  std::vector<std::uint8_t> expectedFlash(sim::kFlashSize, 0xFF);
  std::copy(image.begin(), image.end(), expectedFlash.begin());
  const std::vector<std::uint8_t>& flash = simulatedBus().device(kUnitPath).unit.flash;
  ASSERT_EQ(flash.size(), expectedFlash.size());
  const std::size_t sameBytes = std::mismatch(flash.begin(), flash.end(), expectedFlash.begin()).first - flash.begin();
  EXPECT_EQ(sameBytes, flash.size()) << "the flash differs from the image (0xFF after it) from this byte on";

  // The pauses really happened: erase settle time, and 20 ms after each of 2,037 blocks.
  const std::vector<sim::LoggedRequest> log = simulatedBus().requests();
  EXPECT_GE(timeOf(log, UnitCommand::SetWriteAddress) - timeOf(log, UnitCommand::SetWriteProtection), 5040u);
  EXPECT_GE(timeOf(log, UnitCommand::WriteBlock, true) - timeOf(log, UnitCommand::WriteBlock), 2037u * 20u);

  // The report holds every block the unit received, and the update as the dialog told it.
  reports::expectRunOfTheProgram(report, interfaceLanguage());
  const std::vector<reports::Line> lines = reports::read(report);
  EXPECT_EQ(reports::linesOf(lines, "write").size(), log.size());
  EXPECT_EQ(eventsOf(report), (std::vector<std::string>{"start", "press update", "answer ConfirmUpdate goOn",
                                                         "press close"}));
  const reports::Line outcome = lines.back();
  EXPECT_EQ(outcome.value("readiness", ""), "Ready");
  EXPECT_EQ(outcome.value("outcome", ""), "Succeeded");
  reports::expectReplayToShow(report, {{"exitCode", 0}, {"update", "succeeded"}});
}

TEST(EndToEnd, FailedSystemLockIsReportedWithItsCodes) {
  // The reply to the lock is not read; the simulated unit reports general failure.
  const outcomes::AfterUpdate& row = outcomes::afterUpdate("fail-at:SetSystemLock");
  wchar_t codes[32];
  swprintf(codes, 32, L"0x%08x-0x%08x", static_cast<unsigned>(row.result), static_cast<unsigned>(row.systemError));
  const std::wstring codeLine =
      (drive::germanInterface() ? L"Das System meldet Fehlercode " : L"The system shows following errorcode: ") +
      std::wstring(codes);
  const std::wstring report = reports::freshPath("lock-failure");
  const int exitCode = drive::runSimulatedProgram(row.scenario, [&] {
    HWND dialog = shownMainDialog();
    if (dialog == nullptr) return;
    ASSERT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
    confirmUpdate(dialog);

    HWND failure = drive::waitForMessageBox(dialog);
    ASSERT_NE(failure, nullptr) << "no failure box";
    EXPECT_EQ(drive::readMessageBox(failure),
              (MessageBoxView{catalogueText(40002), catalogueText(row.boxText) + L"\r\n" + codeLine, {IDOK}}));
    drive::click(failure, IDOK);

    const DialogView failed = withoutUnit(hintOf(row), L"ROUNDEL");
    EXPECT_EQ(drive::awaitView(dialog, failed), failed);
    closeAndWaitUntilGone(dialog);
  }, recordTo(report));
  EXPECT_EQ(exitCode, 0);
  // The report tells the failure with the codes the box showed; a replay ends in it too.
  reports::expectRunOfTheProgram(report, interfaceLanguage());
  EXPECT_EQ(eventsOf(report), (std::vector<std::string>{"start", "press update", "answer ConfirmUpdate goOn",
                                                         "answer UpdateFailed goOn", "press close"}));
  const reports::Line outcome = reports::read(report).back();
  EXPECT_EQ(outcome.value("step", ""), row.step);
  EXPECT_EQ(outcome.value("code", 0), row.result);
  EXPECT_EQ(outcome.value("systemError", 0u), row.systemError);
  reports::expectReplayToShow(report, {{"exitCode", row.exitCode}, {"update", row.update}, {"step", row.step}});
  // Nothing is sent after the failed step: the lock is not undone.
  const std::vector<UnitCommand> sent = simulatedBus().commands();
  ASSERT_FALSE(sent.empty());
  ASSERT_TRUE(row.lastSent);
  EXPECT_EQ(sent.back(), *row.lastSent);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), UnitCommand::SetSystemLock), 1);
  EXPECT_EQ(simulatedBus().device(kUnitPath).closes, 1);
}

TEST(EndToEnd, IncompatibleEscAtStartIsExplainedBeforeTheDialogShows) {
  const outcomes::AtStart& row = outcomes::atStart("incompatible");
  const int exitCode = drive::runSimulatedProgram(row.scenario, [&] {
    HWND dialog = mainDialogInTheMaking();
    if (dialog == nullptr) return;
    HWND box = drive::waitForMessageBox(dialog);
    ASSERT_NE(box, nullptr) << "no incompatibility box";
    const MessageBoxView explanation = drive::readMessageBox(box);
    EXPECT_EQ(explanation, (MessageBoxView{catalogueText(row.boxCaption),
                                           drive::formattedCatalogueText(row.boxText, "SPINDRA 60 LV"), {IDOK}}));
    EXPECT_NE(explanation.text.find(L"'SPINDRA 60 LV'"), std::wstring::npos);
    drive::click(box, IDOK);

    EXPECT_EQ(drive::waitForMainDialog(), dialog);
    const DialogView expected = withoutUnit(hintOf(row));
    EXPECT_EQ(drive::awaitView(dialog, expected), expected);
    closeAndWaitUntilGone(dialog);
  });
  EXPECT_EQ(exitCode, 0);
}

// The system's words for an error code, as a box shows them.
std::string systemWords(DWORD error) {
  wchar_t words[512] = L"";
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, words, 512, nullptr);
  std::wstring text = words;
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return wideToUtf8(text);
}

// A report asked for that cannot be made is told in a box under the program's title before
// the dialog shows; the updater then works as ever and writes nothing.
TEST(EndToEnd, AReportThatCannotBeMadeIsToldAndTheUpdaterRunsWithoutOne) {
  const std::wstring unused = reports::freshPath("never-written");
  const std::wstring inMissingFolder = L"Z:\\no-such-folder-of-the-updater\\report.jsonl";
  const struct {
    std::wstring arguments;
    std::wstring boxText;
  } cases[] = {
      {L"--bogus", drive::formattedCatalogueText(msg::kReportRequestNotUnderstood, "--bogus")},
      {L"--record", drive::formattedCatalogueText(msg::kReportRequestNotUnderstood, "--record")},
      {L"report.jsonl", drive::formattedCatalogueText(msg::kReportRequestNotUnderstood, "report.jsonl")},
      {recordTo(unused) + L" --report", drive::formattedCatalogueText(msg::kReportRequestNotUnderstood, "--report")},
      {recordTo(inMissingFolder), drive::formattedCatalogueText(msg::kReportNotWritten, wideToUtf8(inMissingFolder).c_str(),
                                                               systemWords(ERROR_PATH_NOT_FOUND).c_str())},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(wideToUtf8(c.arguments));
    const int exitCode = drive::runSimulatedProgram("ready", [&] {
      HWND box = drive::waitForMainDialog();
      ASSERT_NE(box, nullptr) << "no box";
      EXPECT_EQ(drive::readMessageBox(box), (MessageBoxView{withReadyUnit().caption, c.boxText, {IDOK}}));
      EXPECT_EQ(GetDlgItem(box, ctl::kUpdateButton), nullptr) << "the dialog showed before the box";
      drive::click(box, IDOK);
      ASSERT_TRUE(drive::waitUntilGone(box));
      HWND dialog = shownMainDialog();
      if (dialog == nullptr) return;
      EXPECT_EQ(drive::awaitView(dialog, withReadyUnit()), withReadyUnit());
      closeAndWaitUntilGone(dialog);
    }, c.arguments);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(GetFileAttributesW(unused.c_str()), INVALID_FILE_ATTRIBUTES) << "a report was written";
  }
}

// The product itself, on the real USB bus, where Wine has no programming unit.
TEST(EndToEnd, ProductWithoutUnitTellsWhatToDoAndEndsWithExitCodeZero) {
  std::wstring program = utf8ToWide(SPINDRA_PRODUCT_PROGRAM);
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process))
      << "cannot start " << SPINDRA_PRODUCT_PROGRAM;

  HWND dialog = drive::waitForMainDialog(process.dwProcessId);
  EXPECT_NE(dialog, nullptr) << "the product's dialog never showed";
  if (dialog != nullptr) {
    const DialogView expected = withoutUnit(hintOf(outcomes::atStart("no-unit")));
    EXPECT_EQ(drive::awaitView(dialog, expected), expected);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  } else {
    TerminateProcess(process.hProcess, 99);
  }
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  DWORD exitCode = 99;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
