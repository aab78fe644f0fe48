#pragma once
// A transport that passes every call on to another one and writes it, with its
// results, to an exchange file (see exchange_file.h).
#include <string>

#include "seams/hid_transport.h"

namespace record {

// Creates the file and puts the recorder in front of inner. False when the file cannot
// be created, with errno telling why.
bool start(const std::string& path, const hid::Transport& inner);

const hid::Transport& transport();

// Closes the file; false when any line could not be written.
bool finish();

}  // namespace record
