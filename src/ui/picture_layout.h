#pragma once
// Where the picture beside the version group goes: scaled to the room right of the group,
// never wider than half its own width, keeping its aspect ratio.
#include <cstdint>

// A window's rectangle in screen coordinates.
struct ScreenRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

constexpr std::int32_t kPictureWidthMargin = 45;  // taken off the room right of the group
constexpr std::int32_t kPictureGap = 20;          // between the group's right edge and the picture

struct PicturePlacement {
  std::int32_t x = 0, y = 0, width = 0, height = 0;  // in the dialog's client coordinates
  bool drawn() const { return width > 0 && height > 0; }
};

// dialog and group: window rectangles in screen coordinates; frameWidth and captionHeight:
// the platform's dialog frame width and caption height. A picture of no width is not drawn.
PicturePlacement placePicture(std::int32_t pictureWidth, std::int32_t pictureHeight, const ScreenRect& dialog,
                              const ScreenRect& group, std::int32_t frameWidth, std::int32_t captionHeight);
