#pragma once
// Turns a fuzzer's bytes into the choices a faulty or hostile unit could make, and stops a
// run whose outcome breaks a rule the program must keep whatever the unit does.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
  std::uint16_t word() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
  std::uint32_t dword() { return word() | static_cast<std::uint32_t>(word()) << 16; }
  std::uint32_t below(std::uint32_t limit) { return limit == 0 ? 0 : word() % limit; }
  bool empty() const { return offset_ >= size_; }

  // Overwrites a reply from byte 1 on with the next bytes, as many as the next byte says;
  // true when it changed anything.
  bool rewriteReply(std::vector<std::uint8_t>& reply) {
    const std::size_t count = byte();
    bool changed = false;
    for (std::size_t i = 0; i < count && 1 + i < reply.size() && !empty(); ++i) {
      const std::uint8_t value = byte();
      changed = changed || reply[1 + i] != value;
      reply[1 + i] = value;
    }
    return changed;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

// A broken rule ends the run as a crash, which libFuzzer reports with the input.
inline void require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "rule broken: %s\n", rule);
  std::abort();
}

// The recording dialog and the virtual clock report misuse (an unscripted question, an
// unbalanced pacing span) as test failures; in a fuzz run they are broken rules too.
inline void requireNoTestFailure() {
  require(!::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed(), "no misuse of dialog or clock");
}
