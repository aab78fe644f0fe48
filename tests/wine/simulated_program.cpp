// The simulated-unit program's own entry run on the test's thread, driven from a second one.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "wine/dialog_driver.h"

namespace drive {

namespace {

const wchar_t* const kDialogClass = L"#32770";

// The answer that starts nothing: Cancel or No where the box offers one.
int decliningButton(const std::vector<int>& buttons) {
  for (int declining : {IDCANCEL, IDNO}) {
    if (std::find(buttons.begin(), buttons.end(), declining) != buttons.end()) return declining;
  }
  return buttons.empty() ? IDOK : buttons.front();
}

// Closes whatever the program still shows until its entry has returned: an open box first
// (the dialog takes no commands while one is open), then the dialog itself.
void closeWhatIsLeft(const std::atomic<bool>& programEnded) {
  constexpr std::chrono::milliseconds kBetweenAttempts{500};
  auto lastAttempt = std::chrono::steady_clock::now() - kBetweenAttempts;
  waitUntil(
      [&] {
        if (programEnded) return true;
        if (std::chrono::steady_clock::now() - lastAttempt < kBetweenAttempts) return false;
        lastAttempt = std::chrono::steady_clock::now();
        HWND dialog = findMainDialog(GetCurrentProcessId());
        if (dialog == nullptr) return false;
        if (HWND box = findOwnedWindow(dialog, kDialogClass)) {
          click(box, decliningButton(readMessageBox(box).buttons));
        } else {
          PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        return false;
      },
      std::chrono::minutes(3));
}

}  // namespace

int runSimulatedProgram(const std::string& scenario, const std::function<void()>& driver,
                        const std::wstring& arguments) {
  _putenv(("SPINDRA_SIM_SCENARIO=" + scenario).c_str());
  std::atomic<bool> programEnded{false};
  std::thread driving([&] {
    driver();
    closeWhatIsLeft(programEnded);
  });
  std::wstring commandLine = arguments;
  const int exitCode = wWinMain(GetModuleHandleW(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
  programEnded = true;
  driving.join();
  return exitCode;
}

}  // namespace drive
