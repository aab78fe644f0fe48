// The version of the firmware image this updater carries. The version gate, the window
// title and the programs' version resource all take it from here; plain macros, because
// the resource compiler reads this file too.
#pragma once

#define SPINDRA_IMAGE_VERSION_MAJOR 3
#define SPINDRA_IMAGE_VERSION_MINOR 5
