#include "update/image_transfer.h"

#include <algorithm>
#include <array>

#include "seams/dialog.h"
#include "seams/hid_transport.h"

namespace {

constexpr unsigned kFullBlockWords = kBlockBytes / 4;
constexpr std::uint8_t kPadding = 0xFF;

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

// After a block: its own pause and those of the blocks still to send lie ahead.
dlg::UpdateProgress progressAfterBlock(const sys::FirmwareImage& image, const ImageCursor& cursor) {
  return {dlg::UpdatePhase::Writing, image.size - cursor.remaining, image.size,
          kCommandPauseMs + transferPausesMs(cursor.remaining)};
}

}  // namespace

std::uint32_t blocksFor(std::uint32_t bytes) { return bytes / kBlockBytes + (bytes % kBlockBytes != 0 ? 1 : 0); }

std::uint32_t transferPausesMs(std::uint32_t bytesToSend) { return blocksFor(bytesToSend) * kCommandPauseMs; }

TransferResult transferImage(const sys::FirmwareImage& image) {
  dlg::showProgress({dlg::UpdatePhase::Writing, 0, image.size, transferPausesMs(image.size)});
  TransferResult outcome;
  ImageCursor cursor{image.bytes, image.size};
  while (cursor.remaining != 0) {
    outcome.result = sendNextBlock(cursor);
    if (outcome.result != 0) {
      outcome.systemError = hid::active().lastError();
      break;
    }
    // The unit's pause runs from its reply: the progress is shown while it runs, not before.
    const sys::Instant replied = sys::now();
    dlg::showProgress(progressAfterBlock(image, cursor));
    sys::pauseSince(replied, kCommandPauseMs);
  }
  dlg::closeProgress();
  return outcome;
}
