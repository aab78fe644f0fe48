#pragma once
// The sys:: seam of spindra-update: real pauses (unless pacing is off) and the image the
// build put into the program.

namespace linuxsys {

// The unit needs its pauses; the simulated unit and a replay do not.
void setPacing(bool on);

}  // namespace linuxsys
