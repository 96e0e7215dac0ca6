// The one picture decoder of the saver: JPEG files to RGB or RGBA, and
// nothing read from data that is not a whole picture.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "builtin_pictures.h"
#include "picture_decode.h"

namespace oruna {
namespace {

TEST(PictureDecode, GivesTheSameColoursWithAnOpaqueAlphaWhenAskedForFourChannels) {
  const std::span<const uint8_t> file = PictureFile(Picture::Preview);
  const DecodedPixels rgb = DecodePictureFile(file.data(), file.size(), 3);
  const DecodedPixels rgba = DecodePictureFile(file.data(), file.size(), 4);
  ASSERT_EQ(rgb.width, 152);
  ASSERT_EQ(rgb.height, 112);
  ASSERT_EQ(rgba.width, 152);
  ASSERT_EQ(rgba.height, 112);
  ASSERT_EQ(rgb.bytes.size(), 152u * 112u * 3u);
  ASSERT_EQ(rgba.bytes.size(), 152u * 112u * 4u);
  for (size_t i = 0; i < 152u * 112u; ++i) {
    ASSERT_EQ(rgba.bytes[i * 4], rgb.bytes[i * 3]) << i;
    ASSERT_EQ(rgba.bytes[i * 4 + 1], rgb.bytes[i * 3 + 1]) << i;
    ASSERT_EQ(rgba.bytes[i * 4 + 2], rgb.bytes[i * 3 + 2]) << i;
    ASSERT_EQ(rgba.bytes[i * 4 + 3], 255) << i;
  }
}

TEST(PictureDecode, IsEmptyForNoDataRubbishATruncatedFileOrAnImpossibleSize) {
  const std::span<const uint8_t> file = PictureFile(Picture::Sphere);
  const std::vector<uint8_t> rubbish(200, 0x5A);
  const std::vector<uint8_t> half(file.begin(), file.begin() + file.size() / 2);
  EXPECT_EQ(DecodePictureFile(nullptr, 0, 3).width, 0);
  EXPECT_EQ(DecodePictureFile(file.data(), 0, 3).width, 0);
  EXPECT_TRUE(DecodePictureFile(rubbish.data(), rubbish.size(), 4).bytes.empty());
  EXPECT_TRUE(DecodePictureFile(half.data(), half.size(), 3).bytes.empty());
  // A size beyond what the decoder can count is refused before any byte is
  // read (the buffer is far smaller than the size claims).
  EXPECT_TRUE(DecodePictureFile(file.data(), size_t{INT_MAX} + 1, 3).bytes.empty());
}

}  // namespace
}  // namespace oruna
