#pragma once
// Which image may be written through which transport: the one rule every program's system
// adapter asks before it hands out the image the program carries.
#include "seams/hid_transport.h"
#include "seams/system.h"

namespace image {

// The generated placeholder would leave a real ESC without working firmware: it goes to a
// stand-in alone (the simulated unit, a replay). A real image goes anywhere.
inline bool mayBeWritten(const sys::ImageRecord& record, const hid::Transport& transport) {
  return !record.placeholder || transport.reach == hid::Reach::StandIn;
}

}  // namespace image
