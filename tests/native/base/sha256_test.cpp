#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/sha256.h"

namespace {

std::string hex(const Sha256Digest& digest) {
  std::string text;
  char pair[3];
  for (std::uint8_t byte : digest) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    text += pair;
  }
  return text;
}

std::string sha256Hex(const std::string& message) {
  return hex(sha256(reinterpret_cast<const std::uint8_t*>(message.data()), message.size()));
}

// The standard's test vectors, and lengths around the padding's chunk boundary.
TEST(Sha256, GivesTheStandardDigests) {
  const struct {
    const char* name;
    std::string message;
    const char* digest;
  } cases[] = {
      {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"896 bits",
       "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {"a million 'a's", std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {"55 bytes: the length still fits the last chunk", std::string(55, 'a'),
       "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {"56 bytes: the length needs a chunk of its own", std::string(56, 'a'),
       "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {"64 bytes: one whole chunk", std::string(64, 'a'),
       "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
  };
  for (const auto& c : cases) EXPECT_EQ(sha256Hex(c.message), c.digest) << c.name;
}

}  // namespace
