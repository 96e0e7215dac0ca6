// The built-in pictures: their sizes and format, and bitmap files the
// renderer's reader takes back pixel for pixel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_reader.h"
#include "builtin_pictures.h"
#include "error_message.h"

namespace oruna {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

struct Expected {
  Picture picture;
  int width, height;
};
const Expected kPictures[] = {{Picture::Corona, 128, 128},
                              {Picture::Backdrop, 256, 256},
                              {Picture::Sphere, 64, 64},
                              {Picture::Particles, 64, 64},
                              {Picture::Preview, 152, 112}};

TEST(BuiltinPictures, AreBaselineJpegsWithThreeComponentsAtTheirSizes) {
  for (const Expected& e : kPictures) {
    const std::span<const uint8_t> file = PictureFile(e.picture);
    ASSERT_GT(file.size(), 4u);
    EXPECT_EQ(file[0], 0xFF);
    EXPECT_EQ(file[1], 0xD8);
    // Walk the marker segments up to the frame header.
    size_t at = 2;
    while (at + 4 < file.size() && file[at] == 0xFF && file[at + 1] != 0xC0 && file[at + 1] != 0xC2) {
      at += 2 + (file[at + 2] << 8 | file[at + 3]);
    }
    ASSERT_LT(at + 10, file.size());
    EXPECT_EQ(file[at + 1], 0xC0) << "baseline frame expected, picture " << static_cast<int>(e.picture);
    EXPECT_EQ(file[at + 5] << 8 | file[at + 6], e.height);
    EXPECT_EQ(file[at + 7] << 8 | file[at + 8], e.width);
    EXPECT_EQ(file[at + 9], 3);

    const DecodedPicture decoded = DecodePicture(e.picture);
    EXPECT_EQ(decoded.width, e.width);
    EXPECT_EQ(decoded.height, e.height);
    EXPECT_EQ(decoded.rgb.size(), static_cast<size_t>(e.width) * e.height * 3);
  }
  EXPECT_TRUE(PictureFile(static_cast<Picture>(9)).empty());
  EXPECT_TRUE(DecodePicture(static_cast<Picture>(9)).rgb.empty());
}

// The smoke sprite is added onto the picture: its border must be black or
// the square around each spark would show.
TEST(BuiltinPictures, SmokeSpriteFadesToBlackAtItsBorder) {
  const DecodedPicture smoke = DecodePicture(Picture::Particles);
  ASSERT_EQ(smoke.width, 64);
  int brightest_border = 0;
  for (int i = 0; i < 64; ++i) {
    for (const auto& [x, y] : {std::pair{i, 0}, std::pair{i, 63}, std::pair{0, i}, std::pair{63, i}}) {
      for (int c = 0; c < 3; ++c) brightest_border = std::max<int>(brightest_border, smoke.rgb[(y * 64 + x) * 3 + c]);
    }
  }
  EXPECT_LE(brightest_border, 6);
  const uint8_t* centre = &smoke.rgb[(32 * 64 + 32) * 3];
  EXPECT_GT(centre[0], 120);
}

TEST(BitmapFile, HeadersAndPaddedBottomUpRows) {
  DecodedPicture picture;
  picture.width = 3;
  picture.height = 2;
  picture.rgb = {1, 2, 3, 4, 5, 6, 7, 8, 9,             // top row
                 10, 11, 12, 13, 14, 15, 16, 17, 18};  // bottom row
  const std::vector<uint8_t> file = EncodeBitmapFile(picture);
  const size_t stride = 12;  // 9 bytes padded to 4
  ASSERT_EQ(file.size(), 14 + 40 + stride * 2);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 10), 54u);
  EXPECT_EQ(U32(file, 14), 40u);
  EXPECT_EQ(static_cast<int32_t>(U32(file, 18)), 3);
  EXPECT_EQ(static_cast<int32_t>(U32(file, 22)), 2);  // positive height: bottom-up
  EXPECT_EQ(U16(file, 26), 1);
  EXPECT_EQ(U16(file, 28), 24);
  EXPECT_EQ(U32(file, 30), 0u);
  EXPECT_EQ(U32(file, 34), stride * 2);
  EXPECT_EQ(U32(file, 46), 0u);  // no colour table
  const std::vector<uint8_t> rows(file.begin() + 54, file.end());
  EXPECT_EQ(rows, (std::vector<uint8_t>{12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0,  //
                                        3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0}));

  EXPECT_TRUE(EncodeBitmapFile(DecodedPicture{}).empty());
  picture.rgb.pop_back();
  EXPECT_TRUE(EncodeBitmapFile(picture).empty());
}

TEST(BitmapFile, RendererReadsEveryPictureBackUnchanged) {
  std::vector<std::string> messages;
  SetErrorMessageSink([&](const std::string&, const std::string& text) { messages.push_back(text); });
  for (const Expected& e : kPictures) {
    const DecodedPicture picture = DecodePicture(e.picture);
    const std::vector<uint8_t> file = EncodeBitmapFile(picture);
    RgbImagePtr image = DecodeBitmapImage(file, "picture.bmp");
    ASSERT_TRUE(image) << static_cast<int>(e.picture);
    ASSERT_EQ(image->width, e.width);
    ASSERT_EQ(image->height, e.height);
    // The reader's rows run bottom-up.
    bool same = true;
    for (int y = 0; y < e.height && same; ++y) {
      same = std::equal(picture.rgb.begin() + (e.height - 1 - y) * e.width * 3,
                        picture.rgb.begin() + (e.height - y) * e.width * 3, image->data + y * e.width * 3);
    }
    EXPECT_TRUE(same) << static_cast<int>(e.picture);
  }
  SetErrorMessageSink({});
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace oruna
