#pragma once
// Turns a fuzzer's bytes into the choices a faulty or hostile unit could make.
#include <cstddef>
#include <cstdint>
#include <vector>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return offset_ < size_ ? data_[offset_++] : 0; }
  std::uint32_t below(std::uint32_t limit) { return limit == 0 ? 0 : (byte() | (byte() << 8)) % limit; }
  bool empty() const { return offset_ >= size_; }

  // Overwrites a reply from byte 1 on with the next bytes, as many as the next byte says.
  void rewriteReply(std::vector<std::uint8_t>& reply) {
    const std::size_t count = byte();
    for (std::size_t i = 0; i < count && 1 + i < reply.size() && !empty(); ++i) reply[1 + i] = byte();
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};
