// The browser's system adapter: pauses on the worker's timers, the writing span told to the
// page, and the image the page carries.
#include <emscripten.h>

#include <cmath>

#include "adapters/image/image_policy.h"
#include "adapters/web/page_link.h"
#include "adapters/web/embedded_image.h"
#include "base/pacing.h"
#include "seams/system.h"

namespace {

// A timer of the dedicated worker: it keeps its pace in a hidden tab, where the page's own
// timers are held to one a second or less. Under a millisecond, a message to itself instead:
// timers take whole milliseconds, and chained ones at least four.
EM_ASYNC_JS(void, sleepInWorker, (double milliseconds), {
  if (milliseconds >= 1) {
    await new Promise(resolve => setTimeout(resolve, milliseconds));
    return;
  }
  const channel = new MessageChannel();
  await new Promise(resolve => {
    channel.port1.onmessage = resolve;
    channel.port2.postMessage(0);
  });
  channel.port1.close();
});

std::uint64_t nowMicroseconds() { return static_cast<std::uint64_t>(emscripten_get_now() * 1000.0); }

// Whole milliseconds on the timer; the pause's loop sleeps again for what is left.
void sleepMicroseconds(std::uint64_t microseconds) { sleepInWorker(std::floor(static_cast<double>(microseconds) / 1000.0)); }

const PacingClock kWorkerClock{nowMicroseconds, sleepMicroseconds};

}  // namespace

namespace sys {

void pause(std::uint32_t milliseconds) { pauseSince(now(), milliseconds); }

Instant now() { return Instant{nowMicroseconds()}; }

void pauseSince(Instant start, std::uint32_t milliseconds) {
  pauseUntilElapsed(start.microseconds, milliseconds, kWorkerClock);
}

// The page holds a screen wake lock where granted, asks before it is left, and says that
// the tab must stay open.
void beginUpdateWriting() { web::postToPage(web::message::kWriting, "", 1); }
void endUpdateWriting() { web::postToPage(web::message::kWriting, "", 0); }

bool locateFirmwareImage(FirmwareImage& image) {
  if (!image::mayBeWritten(recordedImage(), hid::active())) return false;
  image.bytes = web::kEmbeddedImage;
  image.size = web::kEmbeddedImageSize;
  return true;
}

}  // namespace sys
