#pragma once
// The simulated unit's whole request log checked against a table of expected exchanges,
// in the manner of a HID expectation list: the first unexpected, differing or missing
// request fails, by index, at the caller's line.
#include <cstdint>
#include <utility>
#include <vector>

#include "link/unit_protocol.h"

namespace reqlog {

struct Expected {
  Expected(UnitCommand command) : command(command) {}  // any bytes
  Expected(UnitCommand command, std::vector<std::uint8_t> bytes) : command(command), bytes(std::move(bytes)) {}

  UnitCommand command;
  std::vector<std::uint8_t> bytes;  // the whole request as written, report id first; empty: not checked
};

void expectRequests(const char* file, int line, const std::vector<Expected>& expected);
// The commands alone, in order.
void expectCommands(const char* file, int line, const std::vector<UnitCommand>& expected);

}  // namespace reqlog

#define EXPECT_REQUESTS(...) ::reqlog::expectRequests(__FILE__, __LINE__, __VA_ARGS__)
#define EXPECT_COMMANDS(...) ::reqlog::expectCommands(__FILE__, __LINE__, __VA_ARGS__)
