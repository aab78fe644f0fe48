#pragma once
// Drives the program's real windows the way a user would, from a thread other than the
// program's: finds its dialog, message boxes and progress window, reads what they show,
// presses their buttons. Every wait polls against a deadline; nothing relies on a delay.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace drive {

constexpr std::chrono::milliseconds kPatience{20000};

// Polls condition until it holds (true) or patience runs out (false).
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience = kPatience);

// Catalogue text of the interface language the test runs under (LANG), from messages.def.
bool germanInterface();
std::wstring catalogueText(std::uint16_t id);
// A catalogue format text filled in with printf arguments (%s narrow, %08x numbers).
std::wstring formattedCatalogueText(std::uint16_t id, ...);
// A status text, one empty line, then the instructions, as the hint box shows it.
std::wstring hintWithInstructions(std::uint16_t statusId);

// Windows of a process: the main dialog (an unowned dialog-class window), and the boxes and
// windows it owns. Null when there is none yet.
HWND findMainDialog(DWORD processId);
HWND findOwnedWindow(HWND owner, const wchar_t* className);
HWND waitForMainDialog(DWORD processId = GetCurrentProcessId());  // shown on screen
HWND waitForMessageBox(HWND owner, std::chrono::milliseconds patience = kPatience);
HWND waitForOwnedWindow(HWND owner, const wchar_t* className, std::chrono::milliseconds patience = kPatience);
bool waitUntilGone(HWND window, std::chrono::milliseconds patience = kPatience);

// Text through the window's own answer (safe across threads and processes: a window that
// does not answer in time reads as "<no answer>").
std::wstring windowText(HWND window);
std::wstring controlText(HWND dialog, int controlId);
// Title as the window manager holds it; needs no answer from a busy window.
std::wstring storedTitle(HWND window);

// A click on a button, queued like the user's: the call returns before the click is handled.
void click(HWND dialog, int buttonId);
void pressEscape(HWND dialog);

struct MessageBoxView {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // ids, ascending
  bool operator==(const MessageBoxView& other) const {
    return caption == other.caption && text == other.text && buttons == other.buttons;
  }
};
MessageBoxView readMessageBox(HWND box);

// Everything the main dialog shows. The six controls of the version panel are enabled and
// disabled together; panel says which (or "mixed").
struct DialogView {
  std::wstring caption;
  std::wstring closeButton, updateButton, versionGroup;
  bool closeEnabled = false, updateEnabled = false;
  std::wstring hint;
  std::wstring unitLabel, escLoaderLabel, escLabel;
  std::wstring unitVersion, escLoaderVersion, escVersion;
  std::string panel;
  bool operator==(const DialogView& other) const;
};
void PrintTo(const DialogView& view, std::ostream* out);
void PrintTo(const MessageBoxView& view, std::ostream* out);

DialogView readDialog(HWND dialog);
// Waits until the dialog shows expected; returns what it showed last.
DialogView awaitView(HWND dialog, const DialogView& expected, std::chrono::milliseconds patience = kPatience);

// Runs the simulated-unit program's own entry on this thread with the named scenario and the
// command line's arguments while driver runs on a second thread, and returns the entry's exit
// code. Whatever the driver leaves open (a box, the dialog) is closed after it returns, so a
// failed check ends the run instead of hanging it.
int runSimulatedProgram(const std::string& scenario, const std::function<void()>& driver,
                        const std::wstring& arguments = L"");

}  // namespace drive
