// How close a whole update comes to the sum of its pauses: runs the simulated-unit program,
// presses Update, confirms, and times until the update has ended. The simulated unit answers
// at once, so what the time adds to the pauses is their lateness and the program's own work.
// usage: update_pacing_benchmark [path of spindra-updater-sim.exe]
#include <windows.h>

#include <cstdio>
#include <string>

#include "link/unit_protocol.h"
#include "seams/system.h"
#include "program_driver.h"
#include "res/controls.h"
#include "update/image_transfer.h"
#include "update/update_sequence.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr ULONGLONG kUpdateTimeoutMs = 10 * 60 * 1000;
constexpr unsigned kPausedPreparationSteps = 4;  // unprotect, erase, address, transfer

// The pauses an update of the program's image takes at the least.
bool pauseFloorMs(const std::wstring& program, std::uint64_t& floorMs) {
  HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return false;
  HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(sys::kImageResourceId), RT_RCDATA);
  const std::uint64_t blocks = image != nullptr ? (SizeofResource(module, image) + kBlockBytes - 1) / kBlockBytes : 0;
  FreeLibrary(module);
  floorMs = kPausedPreparationSteps * kCommandPauseMs + kEraseWaitMs + kEraseSettleMs + blocks * kCommandPauseMs;
  return blocks != 0;
}

double secondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

int fail(const char* what) {
  std::fprintf(stderr, "benchmark failed: %s\n", what);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring program = argc > 1 ? argv[1] : L"spindra-updater-sim.exe";
  std::uint64_t floorMs = 0;
  if (!pauseFloorMs(program, floorMs)) return fail("no firmware image in the program");

  SetEnvironmentVariableW(L"SPINDRA_SIM_SCENARIO", L"ready");
  driver::Program updater(program);
  const HWND dialog = updater.waitForMainDialog(kStartTimeoutMs);
  if (dialog == nullptr) return fail("no main dialog");
  const HWND updateButton = GetDlgItem(dialog, ctl::kUpdateButton);
  if (!IsWindowEnabled(updateButton)) return fail("the unit is not ready");

  driver::press(dialog, ctl::kUpdateButton);
  const HWND confirmation = updater.waitForMessageBox(kStartTimeoutMs);
  if (confirmation == nullptr) return fail("no confirmation box");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  driver::press(confirmation, IDOK);
  // The Update button is disabled when the update has ended, either way.
  for (ULONGLONG end = GetTickCount64() + kUpdateTimeoutMs; IsWindowEnabled(updateButton); Sleep(1)) {
    if (GetTickCount64() > end) return fail("the update did not end");
  }
  const double wallMs = secondsSince(start) * 1000.0;
  if (driver::controlText(dialog, ctl::kEscVersionText) != L"3.5") return fail("the update did not succeed");

  driver::press(dialog, ctl::kCloseButton);
  if (updater.waitForExit(kStartTimeoutMs) != 0) return fail("the program did not end cleanly");
  std::printf("update wall time %.0f ms, floor of its pauses %llu ms, ratio %.4f\n", wallMs,
              static_cast<unsigned long long>(floorMs), wallMs / static_cast<double>(floorMs));
  return 0;
}
