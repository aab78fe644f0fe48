#pragma once
// The history of updates that reached a unit: one JSON line each, appended, never rewritten,
// in $XDG_STATE_HOME/spindra-update/history.jsonl (~/.local/state/... without it).
#include <string>
#include <vector>

#include "adapters/exchange/json_line.h"

namespace history {

// Empty when there is neither an absolute XDG_STATE_HOME nor a HOME.
std::string path();

// The whole line in one write, so that two programs never interleave; false with errno set
// when it could not be written.
bool append(const jsonl::Object& entry);

// The lines as stored; false with errno set when the file exists but cannot be read.
bool read(std::vector<std::string>& lines);

}  // namespace history
