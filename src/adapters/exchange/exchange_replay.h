#pragma once
// A transport that answers from an exchange file (see exchange_file.h) instead of a
// device. Every call must be the one recorded next, with the same arguments and, for
// a write, the same bytes; the first call that differs fails, and so does every call
// after it.
#include <string>

#include "seams/hid_transport.h"

namespace replay {

// Reads and checks the whole file before anything is answered. False with a message
// naming the line for a file that cannot be read or is not an exchange file.
bool load(const std::string& path, std::string& error);

const hid::Transport& transport();

// Asked when the run is over: empty when it made exactly the recorded calls; otherwise
// the first difference, or the recorded calls it never made.
std::string mismatch();

}  // namespace replay
