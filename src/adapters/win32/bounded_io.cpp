#include "adapters/win32/bounded_io.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace win32 {

namespace {

// How long a cancelled transfer is waited for before it is given up.
constexpr DWORD kCancelWaitMs = 3000;

// Everything the driver writes while a transfer runs: the bytes, the OVERLAPPED and its
// event. The caller's buffer is never handed to the driver, so a transfer given up cannot
// write into it later.
struct Transfer {
  explicit Transfer(DWORD length) : bytes(length) {}
  ~Transfer() {
    if (overlapped.hEvent != nullptr) CloseHandle(overlapped.hEvent);
  }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  std::vector<std::uint8_t> bytes;
  OVERLAPPED overlapped{};
};

enum class Ending { Completed, Failed, GivenUp };

// Waits for a started transfer at most timeoutMs; one that has not ended by then is
// cancelled and waited for at most kCancelWaitMs more.
Ending awaitTransfer(HANDLE handle, OVERLAPPED& overlapped, BOOL completed, DWORD timeoutMs, DWORD& transferred) {
  if (!completed && GetLastError() != ERROR_IO_PENDING) return Ending::Failed;
  const DWORD waited = WaitForSingleObject(overlapped.hEvent, timeoutMs);
  if (waited == WAIT_OBJECT_0) {
    return GetOverlappedResult(handle, &overlapped, &transferred, FALSE) ? Ending::Completed : Ending::Failed;
  }
  const DWORD error = waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError();
  CancelIoEx(handle, &overlapped);
  if (WaitForSingleObject(overlapped.hEvent, kCancelWaitMs) != WAIT_OBJECT_0) {
    SetLastError(ERROR_TIMEOUT);
    return Ending::GivenUp;
  }
  // A transfer that completed just before the cancel still counts.
  if (GetOverlappedResult(handle, &overlapped, &transferred, FALSE)) return Ending::Completed;
  SetLastError(error);
  return Ending::Failed;
}

// Runs one transfer on its own storage; a completed read is copied to readInto.
template <typename Start>
bool runTransfer(HANDLE handle, std::unique_ptr<Transfer> transfer, DWORD timeoutMs, DWORD& transferred,
                 void* readInto, Start start) {
  transferred = 0;
  transfer->overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (transfer->overlapped.hEvent == nullptr) return false;
  const Ending ending = awaitTransfer(handle, transfer->overlapped, start(*transfer), timeoutMs, transferred);
  if (ending == Ending::GivenUp) {
    // The driver may still end the transfer and write into its bytes, OVERLAPPED and event:
    // they stay allocated, deliberately leaked, rather than become memory the program reuses.
    transfer.release();
    return false;
  }
  if (ending == Ending::Completed && readInto != nullptr) {
    std::copy_n(transfer->bytes.begin(), transferred, static_cast<std::uint8_t*>(readInto));
  }
  const DWORD error = GetLastError();
  transfer.reset();
  SetLastError(error);
  return ending == Ending::Completed;
}

}  // namespace

bool writeWithin(HANDLE handle, const void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred) {
  auto transfer = std::make_unique<Transfer>(length);
  std::copy_n(static_cast<const std::uint8_t*>(bytes), length, transfer->bytes.begin());
  return runTransfer(handle, std::move(transfer), timeoutMs, transferred, nullptr, [&](Transfer& own) {
    return WriteFile(handle, own.bytes.data(), length, nullptr, &own.overlapped);
  });
}

bool readWithin(HANDLE handle, void* bytes, DWORD length, DWORD timeoutMs, DWORD& transferred) {
  return runTransfer(handle, std::make_unique<Transfer>(length), timeoutMs, transferred, bytes, [&](Transfer& own) {
    return ReadFile(handle, own.bytes.data(), length, nullptr, &own.overlapped);
  });
}

}  // namespace win32
