#include "support/request_log.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iomanip>
#include <sstream>
#include <string>
#include <utility>

#include "platform/sim/simulated_unit.h"

namespace reqlog {
namespace {

std::string commandName(UnitCommand command) {
  std::ostringstream name;
  name << "0x" << std::hex << std::setw(2) << std::setfill('0') << static_cast<unsigned>(command);
  return name.str();
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
  std::ostringstream text;
  text << std::hex << std::setfill('0');
  for (std::uint8_t b : bytes) text << std::setw(2) << static_cast<unsigned>(b) << ' ';
  return text.str();
}

// The first difference between a request and what was expected of it; empty when none.
std::string differenceOf(const sim::LoggedRequest& sent, const Expected& expected) {
  if (sent.command() != expected.command) {
    return "command " + commandName(sent.command()) + ", expected " + commandName(expected.command);
  }
  if (!expected.bytes.empty() && sent.bytes != expected.bytes) {
    return "bytes\n  sent:     " + hexBytes(sent.bytes) + "\n  expected: " + hexBytes(expected.bytes);
  }
  return "";
}

}  // namespace

void expectRequests(const char* file, int line, const std::vector<Expected>& expected) {
  const std::vector<sim::LoggedRequest> sent = sim::requests();
  for (std::size_t i = 0; i < sent.size() && i < expected.size(); ++i) {
    const std::string difference = differenceOf(sent[i], expected[i]);
    if (!difference.empty()) {
      ADD_FAILURE_AT(file, line) << "request " << i << ": " << difference;
      return;
    }
  }
  if (sent.size() > expected.size()) {
    ADD_FAILURE_AT(file, line) << "request " << expected.size() << " unexpected: command "
                               << commandName(sent[expected.size()].command()) << " (" << sent.size()
                               << " sent, " << expected.size() << " expected)";
  } else if (sent.size() < expected.size()) {
    ADD_FAILURE_AT(file, line) << "request " << sent.size() << " missing: command "
                               << commandName(expected[sent.size()].command) << " (" << sent.size() << " sent, "
                               << expected.size() << " expected)";
  }
}

void expectCommands(const char* file, int line, const std::vector<UnitCommand>& expected) {
  expectRequests(file, line, std::vector<Expected>(expected.begin(), expected.end()));
}

}  // namespace reqlog
