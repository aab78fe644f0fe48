#pragma once
// A simulated bus's whole request log checked against a table of expected exchanges,
// in the manner of a HID expectation list: the first unexpected, differing or missing
// request fails, by index, at the caller's line.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "link/unit_protocol.h"
#include "adapters/sim/simulated_bus.h"

namespace reqlog {

struct Expected {
  Expected(UnitCommand command) : command(command) {}  // any bytes
  Expected(UnitCommand command, std::vector<std::uint8_t> bytes) : command(command), bytes(std::move(bytes)) {}

  UnitCommand command;
  std::vector<std::uint8_t> bytes;  // the whole request as written, report id first; empty: not checked
};

namespace detail {

inline std::string commandName(UnitCommand command) {
  std::ostringstream name;
  name << "0x" << std::hex << std::setw(2) << std::setfill('0') << static_cast<unsigned>(command);
  return name.str();
}

inline std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
  std::ostringstream text;
  text << std::hex << std::setfill('0');
  for (std::uint8_t b : bytes) text << std::setw(2) << static_cast<unsigned>(b) << ' ';
  return text.str();
}

// The first difference between a request and what was expected of it; empty when none.
inline std::string differenceOf(const sim::LoggedRequest& sent, const Expected& expected) {
  if (sent.command() != expected.command) {
    return "command " + commandName(sent.command()) + ", expected " + commandName(expected.command);
  }
  if (!expected.bytes.empty() && sent.bytes != expected.bytes) {
    return "bytes\n  sent:     " + hexBytes(sent.bytes) + "\n  expected: " + hexBytes(expected.bytes);
  }
  return "";
}

}  // namespace detail

inline void expectRequests(const char* file, int line, const sim::Bus& bus, const std::vector<Expected>& expected) {
  const std::vector<sim::LoggedRequest> sent = bus.requests();
  for (std::size_t i = 0; i < sent.size() && i < expected.size(); ++i) {
    const std::string difference = detail::differenceOf(sent[i], expected[i]);
    if (!difference.empty()) {
      ADD_FAILURE_AT(file, line) << "request " << i << ": " << difference;
      return;
    }
  }
  if (sent.size() > expected.size()) {
    ADD_FAILURE_AT(file, line) << "request " << expected.size() << " unexpected: command "
                               << detail::commandName(sent[expected.size()].command()) << " (" << sent.size()
                               << " sent, " << expected.size() << " expected)";
  } else if (sent.size() < expected.size()) {
    ADD_FAILURE_AT(file, line) << "request " << sent.size() << " missing: command "
                               << detail::commandName(expected[sent.size()].command) << " (" << sent.size() << " sent, "
                               << expected.size() << " expected)";
  }
}

// The commands alone, in order.
inline void expectCommands(const char* file, int line, const sim::Bus& bus, const std::vector<UnitCommand>& expected) {
  expectRequests(file, line, bus, std::vector<Expected>(expected.begin(), expected.end()));
}

}  // namespace reqlog

#define EXPECT_REQUESTS(...) ::reqlog::expectRequests(__FILE__, __LINE__, __VA_ARGS__)
#define EXPECT_COMMANDS(...) ::reqlog::expectCommands(__FILE__, __LINE__, __VA_ARGS__)
