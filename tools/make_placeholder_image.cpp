// Writes the stand-in firmware image used when the build is given no real one:
//   make_placeholder_image <image.bin> [<seed> [<size>]]
// Same size as the real image; the bytes come from a fixed-seed generator, so every build
// produces the same file, and no two blocks look alike (a misplaced block shows in a test).
// Another seed gives another image of the same kind, for tests that must tell them apart;
// another size a shorter or longer one, for tests that write a whole image at real pacing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr std::size_t kImageSize = 97808;
constexpr std::uint32_t kPlaceholderSeed = 0x53504E44;

std::vector<std::uint8_t> generatedImage(std::uint32_t seed, std::size_t size) {
  std::vector<std::uint8_t> image(size);
  std::uint32_t state = seed;
  for (std::uint8_t& byte : image) {
    // xorshift32
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<std::uint8_t>(state >> 24);
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t seed = argc >= 3 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 0)) : kPlaceholderSeed;
  const std::size_t size = argc == 4 ? std::strtoul(argv[3], nullptr, 0) : kImageSize;
  if (argc < 2 || argc > 4 || seed == 0 || size == 0) {
    std::fprintf(stderr, "usage: %s <image.bin> [<nonzero seed> [<nonzero size>]]\n", argv[0]);
    return 2;
  }
  std::vector<std::uint8_t> image = generatedImage(seed, size);
  std::FILE* file = std::fopen(argv[1], "wb");
  bool written = file && std::fwrite(image.data(), 1, image.size(), file) == image.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written) {
    std::perror("make_placeholder_image");
    return 1;
  }
  return 0;
}
