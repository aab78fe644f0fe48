// Walks the simulated-unit program through the states the README pictures: ready, the
// progress window of an update, and the box that reports the update's failure. At each it
// asks the script around it for a picture of the screen and waits until it is taken.
// The request is a file <state>.wanted in the directory SPINDRA_SCREENSHOT_REQUESTS names;
// the script deletes it once the picture is saved. The scenario (SPINDRA_SIM_SCENARIO) must
// fail the update part way through.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "res/controls.h"
#include "wine/dialog_driver.h"

namespace {

using namespace std::chrono_literals;

// Long enough for the script to find the request and start the capture, whatever the load.
constexpr auto kPictureTaken = std::chrono::minutes(2);
// The progress bar has moved visibly by then.
constexpr auto kIntoTheUpdate = 3s;

std::wstring directory;

bool picture(const wchar_t* state) {
  const std::wstring request = directory + L"\\" + state + L".wanted";
  HANDLE file = CreateFileW(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return drive::waitUntil([&] { return GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES; },
                          kPictureTaken);
}

bool fail(const char* what) {
  std::fprintf(stderr, "screenshot_shooter: %s\n", what);
  return false;
}

bool shootUpdateThatFails() {
  HWND dialog = drive::waitForMainDialog();
  if (dialog == nullptr) return fail("the dialog never showed");
  if (!drive::waitUntil([dialog] { return IsWindowEnabled(GetDlgItem(dialog, ctl::kUpdateButton)) != FALSE; })) {
    return fail("Update was never offered");
  }
  if (!picture(L"ready")) return fail("the ready picture was not taken");

  drive::click(dialog, ctl::kUpdateButton);
  HWND confirmation = drive::waitForMessageBox(dialog);
  if (confirmation == nullptr) return fail("no confirmation box");
  drive::click(confirmation, IDOK);
  HWND progress = drive::waitForOwnedWindow(dialog, L"msctls_progress32");
  if (progress == nullptr) return fail("no progress window");
  Sleep(static_cast<DWORD>(std::chrono::milliseconds(kIntoTheUpdate).count()));
  if (!picture(L"progress")) return fail("the progress picture was not taken");

  if (!drive::waitUntilGone(progress, std::chrono::minutes(3))) return fail("the update did not end");
  HWND failure = drive::waitForMessageBox(dialog);
  if (failure == nullptr) return fail("no failure box");
  return picture(L"failure") || fail("the failure picture was not taken");
}

}  // namespace

int wmain() {
  const wchar_t* requests = _wgetenv(L"SPINDRA_SCREENSHOT_REQUESTS");
  if (requests == nullptr) return fail("SPINDRA_SCREENSHOT_REQUESTS names no directory"), 2;
  directory = requests;
  const char* scenario = std::getenv("SPINDRA_SIM_SCENARIO");
  bool shot = false;
  drive::runSimulatedProgram(scenario != nullptr ? scenario : "", [&shot] { shot = shootUpdateThatFails(); });
  return shot ? 0 : 1;
}
