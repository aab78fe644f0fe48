// Dialog adapter: the progress window of an update, a top-level bar owned by the main dialog.
#include "seams/dialog.h"

#include <windows.h>
#include <commctrl.h>

#include "adapters/win32/program_handles.h"
#include "res/literals.h"
#include "res/message_ids.h"

namespace dlg {
namespace {

constexpr int kProgressWidth = 400;
constexpr int kProgressHeight = 50;
constexpr DWORD kProgressStyle = WS_VISIBLE | PBS_SMOOTH;
static_assert(kProgressStyle == 0x10000001, "a visible smooth bar and nothing else");

struct ProgressWindow {
  bool open = false;
  HWND window = nullptr;
  bool broughtForward = false;  // once, when the user had the dialog or the bar in front
};

ProgressWindow progress;

// Centred on the dialog's window rectangle, halves rounded down. No message is dispatched
// while an update writes, and a window's paint otherwise waits for a dispatch: the bar is
// painted at once, on its creation and after each position.
HWND createProgressWindow() {
  RECT frame{};
  GetWindowRect(mainDialog, &frame);
  const int x = frame.left + (frame.right - frame.left) / 2 - kProgressWidth / 2;
  const int y = frame.top + (frame.bottom - frame.top) / 2 - kProgressHeight / 2;
  HWND window = CreateWindowExW(0, lit::kProgressClass, loadText(msg::kProgressTitle).c_str(), kProgressStyle, x, y,
                                kProgressWidth, kProgressHeight, mainDialog, nullptr, moduleInstance, nullptr);
  if (window != nullptr) UpdateWindow(window);
  return window;
}

void setPosition(unsigned position) {
  SendMessageW(progress.window, PBM_SETPOS, position, 0);
  UpdateWindow(progress.window);
}

void raiseToTop(HWND window) { SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE); }

void raiseBoth() {
  raiseToTop(mainDialog);
  raiseToTop(progress.window);
}

// Brings both windows forward when the user has one of them in front; true once done.
bool bringForwardWhenInFront() {
  const HWND foreground = GetForegroundWindow();
  if (foreground != mainDialog && foreground != progress.window) return false;
  raiseBoth();
  ShowWindow(mainDialog, SW_SHOW);
  ShowWindow(progress.window, SW_SHOW);
  return true;
}

}  // namespace

// Only the transfer has a window; the phases around it show nothing here.
void showProgress(const UpdateProgress& update) {
  if (update.phase != UpdatePhase::Writing) return;
  const bool opening = !progress.open;
  if (opening) progress = {true, createProgressWindow(), false};
  setPosition(percentSent(update));
  if (opening) {
    raiseBoth();
  } else if (!progress.broughtForward) {
    progress.broughtForward = bringForwardWhenInFront();
  }
}

void closeProgress() {
  if (!progress.open) return;
  DestroyWindow(progress.window);
  progress = {};
}

}  // namespace dlg
