#include "adapters/linux/linux_system.h"

#include <chrono>
#include <thread>

#include "adapters/image/image_policy.h"
#include "adapters/linux/interruptions.h"
#include "base/pacing.h"
#include "seams/system.h"

// The image file of the build, taken into the program's read-only data as it is.
asm(".section .rodata\n"
    ".balign 16\n"
    ".globl spindra_embedded_image\n"
    ".hidden spindra_embedded_image\n"
    "spindra_embedded_image:\n"
    ".incbin \"" SPINDRA_IMAGE_FILE "\"\n"
    ".globl spindra_embedded_image_end\n"
    ".hidden spindra_embedded_image_end\n"
    "spindra_embedded_image_end:\n"
    ".previous\n");
extern "C" const std::uint8_t spindra_embedded_image[];
extern "C" const std::uint8_t spindra_embedded_image_end[];

namespace linuxsys {
namespace {

bool pausesSkipped = false;

std::uint64_t nowMicroseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

void sleepMicroseconds(std::uint64_t microseconds) {
  std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

const PacingClock kSteadyClock{nowMicroseconds, sleepMicroseconds};

}  // namespace

void skipPauses() { pausesSkipped = true; }

}  // namespace linuxsys

namespace sys {

void pause(std::uint32_t milliseconds) { pauseSince(now(), milliseconds); }

Instant now() { return Instant{linuxsys::nowMicroseconds()}; }

// The simulated unit and replays need no pacing: they answer at once and keep no time.
void pauseSince(Instant start, std::uint32_t milliseconds) {
  if (!linuxsys::pausesSkipped) pauseUntilElapsed(start.microseconds, milliseconds, linuxsys::kSteadyClock);
}

// Linux sleeps to the microsecond already; there is no coarser timer to refine. Keeping the
// machine awake is left to the user's session, as for any command-line program. What the
// span needs here is that no Ctrl-C, kill or closed terminal ends the program inside it.
void beginUpdateWriting() { interruptions::hold(); }
void endUpdateWriting() { interruptions::release(); }

bool locateFirmwareImage(FirmwareImage& image) {
  if (!image::mayBeWritten(recordedImage(), hid::active())) return false;
  image.bytes = spindra_embedded_image;
  image.size = static_cast<std::uint32_t>(spindra_embedded_image_end - spindra_embedded_image);
  return true;
}

}  // namespace sys
