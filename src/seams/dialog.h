#pragma once
// The dialog seam: everything the core does to the main dialog and the windows it owns.
#include <cstdint>
#include <string>

namespace dlg {

// Message box flags and answers, with the platform's values.
constexpr unsigned kBoxOk = 0x00;
constexpr unsigned kBoxOkCancel = 0x01;
constexpr unsigned kBoxYesNo = 0x04;
constexpr unsigned kIconError = 0x10;
constexpr unsigned kIconWarning = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Texts loaded from the catalogue fit this many wide characters, terminator included.
constexpr std::size_t kTextCapacity = 2048;

// Catalogue text in the user's language, cut to kTextCapacity - 1 characters.
std::wstring loadText(std::uint16_t messageId);

void setControlText(int controlId, const std::wstring& text);
std::wstring controlText(int controlId);
void enableControl(int controlId, bool enabled);

// A modal box owned by the main dialog, or by no window before it exists; returns the
// button pressed. The dialog keeps handling paint and device-change events while the box is open.
int messageBox(const std::wstring& text, const std::wstring& caption, unsigned flags);

// Windows the update touches. 0 means no window.
using WindowRef = std::uintptr_t;
struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

WindowRef mainWindow();
Rect windowRect(WindowRef window);
// A top-level smooth progress bar owned by the main dialog, range 0 to 100. Created and
// moved on screen at once: the update dispatches no messages while it writes.
WindowRef createProgressWindow(const std::wstring& title, int x, int y, int width, int height);
void setProgressPosition(WindowRef progress, unsigned position);
void raiseToTop(WindowRef window);  // top of the z-order, no move, no resize
void showWindow(WindowRef window);
WindowRef foregroundWindow();
void destroyWindow(WindowRef window);

// Registration of the main dialog for HID interface arrival and removal events.
// Returns 0 when the platform refuses.
std::uintptr_t registerHidNotifications();
void unregisterHidNotifications(std::uintptr_t registration);

}  // namespace dlg
