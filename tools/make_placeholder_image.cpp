// Writes the stand-in firmware image used when the build is given no real one:
//   make_placeholder_image <image.bin>
// Same size as the real image; the bytes come from a fixed-seed generator, so every build
// produces the same file, and no two blocks look alike (a misplaced block shows in a test).
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr std::size_t kImageSize = 97808;
constexpr std::uint32_t kSeed = 0x53504E44;

std::vector<std::uint8_t> placeholderImage() {
  std::vector<std::uint8_t> image(kImageSize);
  std::uint32_t state = kSeed;
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
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <image.bin>\n", argv[0]);
    return 2;
  }
  std::vector<std::uint8_t> image = placeholderImage();
  std::FILE* file = std::fopen(argv[1], "wb");
  bool written = file && std::fwrite(image.data(), 1, image.size(), file) == image.size();
  if (file && std::fclose(file) != 0) written = false;
  if (!written) {
    std::perror("make_placeholder_image");
    return 1;
  }
  return 0;
}
