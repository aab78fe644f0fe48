#include "update/image_transfer.h"

#include <algorithm>
#include <array>

#include "seams/dialog.h"
#include "seams/hid_transport.h"
#include "res/message_ids.h"

namespace {

constexpr unsigned kFullBlockWords = kBlockBytes / 4;
constexpr std::uint8_t kPadding = 0xFF;
constexpr int kProgressWidth = 400;
constexpr int kProgressHeight = 50;

struct TransferWindows {
  dlg::WindowRef dialog = 0;
  dlg::WindowRef progress = 0;
};

// Centred on the dialog's window rectangle.
dlg::WindowRef openProgressWindow(dlg::WindowRef dialog) {
  const dlg::Rect frame = dlg::windowRect(dialog);
  const int x = frame.left + (frame.right - frame.left) / 2 - kProgressWidth / 2;
  const int y = frame.top + (frame.bottom - frame.top) / 2 - kProgressHeight / 2;
  return dlg::createProgressWindow(dlg::loadText(msg::kProgressTitle), x, y, kProgressWidth, kProgressHeight);
}

void raiseBoth(const TransferWindows& windows) {
  dlg::raiseToTop(windows.dialog);
  dlg::raiseToTop(windows.progress);
}

// Brings both windows forward when the user has one of them in front; true once done.
bool raiseWhenInFront(const TransferWindows& windows) {
  const dlg::WindowRef foreground = dlg::foregroundWindow();
  if (foreground != windows.dialog && foreground != windows.progress) return false;
  raiseBoth(windows);
  dlg::showWindow(windows.dialog);
  dlg::showWindow(windows.progress);
  return true;
}

struct ImageCursor {
  const std::uint8_t* next = nullptr;
  std::uint32_t remaining = 0;
};

// Full blocks go straight from the image. The last partial one is staged behind 0xFF
// padding, its word count rounded up so that an image of odd length loses no byte.
ExchangeResult sendNextBlock(ImageCursor& cursor) {
  if (cursor.remaining >= kBlockBytes) {
    const ExchangeResult result = writeBlock(cursor.next, kBlockBytes, kFullBlockWords);
    cursor.next += kBlockBytes;
    cursor.remaining -= kBlockBytes;
    return result;
  }
  std::array<std::uint8_t, kBlockBytes> staging;
  staging.fill(kPadding);
  std::copy(cursor.next, cursor.next + cursor.remaining, staging.begin());
  const unsigned words = (cursor.remaining + 3) / 4;
  cursor.remaining = 0;
  return writeBlock(staging.data(), staging.size(), words);
}

unsigned progressPercent(std::uint32_t size, std::uint32_t remaining) { return (size - remaining) * 100 / size; }

}  // namespace

TransferResult transferImage(const sys::FirmwareImage& image) {
  TransferWindows windows;
  windows.dialog = dlg::mainWindow();
  windows.progress = openProgressWindow(windows.dialog);
  dlg::setProgressPosition(windows.progress, 0);
  raiseBoth(windows);

  TransferResult outcome;
  ImageCursor cursor{image.bytes, image.size};
  bool raised = false;
  while (cursor.remaining != 0) {
    outcome.result = sendNextBlock(cursor);
    if (outcome.result != 0) {
      outcome.systemError = hid::active().lastError();
      break;
    }
    // The unit's pause runs from its reply: the windows are updated while it runs, not before.
    const sys::Instant replied = sys::now();
    dlg::setProgressPosition(windows.progress, progressPercent(image.size, cursor.remaining));
    if (!raised) raised = raiseWhenInFront(windows);
    sys::pauseSince(replied, kCommandPauseMs);
  }
  dlg::destroyWindow(windows.progress);
  return outcome;
}
