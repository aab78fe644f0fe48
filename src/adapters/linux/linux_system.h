#pragma once
// The sys:: seam of spindra-update: real pauses and the image the build put into the program.
// Without a real image the build puts in a generated placeholder, which image::mayBeWritten
// hands out to the simulated unit and replays alone.

namespace linuxsys {

// For the simulated unit and a replay, which answer at once and keep no time: no pauses.
void skipPauses();

}  // namespace linuxsys
