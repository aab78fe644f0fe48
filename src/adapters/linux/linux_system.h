#pragma once
// The sys:: seam of spindra-update: real pauses and the image the build put into the
// program. Without a real image the build puts in a generated placeholder, which may go
// to the simulated unit or a replay but never to a real ESC: it would leave the ESC
// without working firmware.

namespace linuxsys {

// For the simulated unit and a replay: no pauses (nothing needs them), and the
// placeholder image is offered.
void useSimulatedUnit();

}  // namespace linuxsys
