#include "ui/picture_layout.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int32_t kWidth = 1772;
constexpr std::int32_t kHeight = 263;
constexpr std::int32_t kFrame = 3;
constexpr std::int32_t kCaption = 19;

// A dialog at (100, 50) whose right edge lies `room` pixels right of the group box's.
PicturePlacement placeWithRoom(std::int32_t room, std::int32_t pictureWidth = kWidth) {
  const ScreenRect group{130, 90, 435, 200};
  const ScreenRect dialog{100, 50, group.right + room, 500};
  return placePicture(pictureWidth, kHeight, dialog, group, kFrame, kCaption);
}

}  // namespace

TEST(PictureLayout, ScalesToTheRoomRightOfTheGroupKeepingItsShape) {
  PicturePlacement placement = placeWithRoom(265);
  EXPECT_EQ(placement.width, 220);
  EXPECT_EQ(placement.height, 32);  // 220 / 1772 * 263 = 32.65
  EXPECT_EQ(placement.x, 435 - (100 + kFrame) + 20);
  EXPECT_EQ(placement.y, 90 - (50 + kCaption));
  EXPECT_TRUE(placement.drawn());
}

TEST(PictureLayout, NeverWiderThanHalfThePicture) {
  PicturePlacement placement = placeWithRoom(2000);
  EXPECT_EQ(placement.width, 886);
  EXPECT_EQ(placement.height, 131);
}

TEST(PictureLayout, NotDrawnWithoutRoomOrWithoutPicture) {
  struct Case {
    std::int32_t room;
    std::int32_t pictureWidth;
  };
  // 46 pixels leave a width of 1 and a height of 0.15, truncated to 0.
  for (Case c : {Case{45, kWidth}, Case{30, kWidth}, Case{46, kWidth}, Case{265, 0}}) {
    EXPECT_FALSE(placeWithRoom(c.room, c.pictureWidth).drawn())
        << "room " << c.room << ", picture width " << c.pictureWidth;
  }
}
