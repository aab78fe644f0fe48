// System adapter: pauses against a deadline on the performance counter, the machine and its
// display kept awake while an update writes, the image from the program's resources.
#include "seams/system.h"

#include <windows.h>

#include "adapters/image/image_policy.h"
#include "base/pacing.h"
#include "adapters/win32/program_handles.h"
#include "adapters/win32/system_library.h"

namespace sys {

namespace {

// Not in every SDK's headers; systems before Windows 10 1803 refuse it.
constexpr DWORD kCreateWaitableTimerHighResolution = 0x00000002;
constexpr UINT kFinestTimerPeriodMs = 1;
// Timers wake up to about a millisecond late, so the last stretch before a deadline is
// waited out by yielding the processor rather than by sleeping past it.
constexpr std::uint64_t kYieldedStretchMicroseconds = 1000;

using TimerPeriodFunction = UINT(WINAPI*)(UINT);

// What precise pacing holds: a high-resolution timer where the system has one, otherwise
// the finest system timer period, requested through winmm.
struct PrecisePacing {
  HANDLE timer = nullptr;
  HMODULE winmm = nullptr;
  TimerPeriodFunction endTimerPeriod = nullptr;
};
PrecisePacing precisePacing;

std::uint64_t monotonicMicroseconds() {
  static const std::uint64_t frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return static_cast<std::uint64_t>(value.QuadPart);
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
  return ticks / frequency * 1'000'000 + ticks % frequency * 1'000'000 / frequency;
}

bool waitOnTimer(HANDLE timer, std::uint64_t microseconds) {
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(microseconds * 10);  // relative, in 100 ns units
  return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
         WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0;
}

void sleepMicroseconds(std::uint64_t microseconds) {
  if (microseconds <= kYieldedStretchMicroseconds) {
    Sleep(0);
    return;
  }
  const std::uint64_t asleep = microseconds - kYieldedStretchMicroseconds;
  if (precisePacing.timer != nullptr && waitOnTimer(precisePacing.timer, asleep)) return;
  Sleep(static_cast<DWORD>(asleep / 1000));
}

// winmm is loaded at run time, from the system directory only, and only where no
// high-resolution timer exists. Without it pauses still end at their deadlines, only later.
void requestFinestTimerPeriod() {
  HMODULE winmm = win32::loadSystemLibrary(L"winmm.dll");
  if (winmm == nullptr) return;
  TimerPeriodFunction beginTimerPeriod = nullptr;
  TimerPeriodFunction endTimerPeriod = nullptr;
  if (!win32::resolve(winmm, "timeBeginPeriod", beginTimerPeriod) ||
      !win32::resolve(winmm, "timeEndPeriod", endTimerPeriod) || beginTimerPeriod(kFinestTimerPeriodMs) != 0) {
    FreeLibrary(winmm);
    return;
  }
  precisePacing.winmm = winmm;
  precisePacing.endTimerPeriod = endTimerPeriod;
}

void beginPrecisePacing() {
  precisePacing.timer = CreateWaitableTimerExW(nullptr, nullptr, kCreateWaitableTimerHighResolution, TIMER_ALL_ACCESS);
  if (precisePacing.timer == nullptr) requestFinestTimerPeriod();
}

void endPrecisePacing() {
  if (precisePacing.timer != nullptr) CloseHandle(precisePacing.timer);
  if (precisePacing.endTimerPeriod != nullptr) precisePacing.endTimerPeriod(kFinestTimerPeriodMs);
  if (precisePacing.winmm != nullptr) FreeLibrary(precisePacing.winmm);
  precisePacing = PrecisePacing{};
}

}  // namespace

void pause(std::uint32_t milliseconds) { pauseSince(now(), milliseconds); }

Instant now() { return Instant{monotonicMicroseconds()}; }

void pauseSince(Instant start, std::uint32_t milliseconds) {
  pauseUntilElapsed(start.microseconds, milliseconds, {monotonicMicroseconds, sleepMicroseconds});
}

void beginUpdateWriting() {
  // On a Modern Standby machine turning the display off is how standby begins.
  SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
  beginPrecisePacing();
}

void endUpdateWriting() {
  endPrecisePacing();
  SetThreadExecutionState(ES_CONTINUOUS);
}

bool locateFirmwareImage(FirmwareImage& image) {
  if (!image::mayBeWritten(recordedImage(), hid::active())) return false;
  HRSRC resource = FindResourceW(moduleInstance, MAKEINTRESOURCEW(kImageResourceId), RT_RCDATA);
  if (resource == nullptr) return false;
  HGLOBAL loaded = LoadResource(moduleInstance, resource);
  if (loaded == nullptr) return false;
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return false;
  image.bytes = static_cast<const std::uint8_t*>(bytes);
  image.size = SizeofResource(moduleInstance, resource);
  return true;
}

}  // namespace sys
