#pragma once
// The firmware image a page carries, written into a source by the build.
#include <cstdint>

namespace web {

extern const std::uint8_t kEmbeddedImage[];
extern const std::uint32_t kEmbeddedImageSize;

}  // namespace web
