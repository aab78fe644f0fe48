#include "ui/picture_layout.h"

#include <algorithm>

PicturePlacement placePicture(std::int32_t pictureWidth, std::int32_t pictureHeight, const ScreenRect& dialog,
                              const ScreenRect& group, std::int32_t frameWidth, std::int32_t captionHeight) {
  PicturePlacement placement;
  if (pictureWidth <= 0) return placement;
  placement.width = std::min(pictureWidth / 2, dialog.right - group.right - kPictureWidthMargin);
  // Single precision, division first, truncated: the height the picture has always been drawn at.
  placement.height = static_cast<std::int32_t>(static_cast<float>(placement.width) / static_cast<float>(pictureWidth) *
                                               static_cast<float>(pictureHeight));
  placement.x = group.right - (dialog.left + frameWidth) + kPictureGap;
  placement.y = group.top - (dialog.top + captionHeight);
  return placement;
}
