// Textures as the renderer uploads them, read back level by level from a real
// GL: sizes, filters, row order and every texel of every mipmap level, checked
// against values worked out by hand for images whose levels are easy to know.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bitmap_reader.h"
#include "bitmap_texture.h"
#include "bmp_writer.h"
#include "gl_test_context.h"
#include "mipmap_chain.h"
#include "test_support.h"

namespace oruna {
namespace {

struct Rgb {
  int r, g, b;
};

struct Level {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  Rgb At(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
    return {p[0], p[1], p[2]};
  }
};

// Every level of the bound texture, as GL holds it.
std::vector<Level> ReadLevels() {
  std::vector<Level> levels;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (GLint level = 0; level < 32; ++level) {
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
    if (width <= 0 || height <= 0) break;
    Level l{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * static_cast<size_t>(height) * 3)};
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, l.rgb.data());
    levels.push_back(std::move(l));
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  return levels;
}

// Each level half the one before (a side stays at 1), down to 1 x 1.
void ExpectFullChain(const std::vector<Level>& levels, int width0, int height0) {
  ASSERT_FALSE(levels.empty());
  EXPECT_EQ(levels[0].width, width0);
  EXPECT_EQ(levels[0].height, height0);
  for (size_t i = 1; i < levels.size(); ++i) {
    EXPECT_EQ(levels[i].width, std::max(1, levels[i - 1].width / 2)) << "level " << i;
    EXPECT_EQ(levels[i].height, std::max(1, levels[i - 1].height / 2)) << "level " << i;
  }
  EXPECT_EQ(levels.back().width, 1);
  EXPECT_EQ(levels.back().height, 1);
}

class TextureUpload : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::UseGlContext());
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
  }
  void TearDown() override { glDeleteTextures(1, &texture_); }

  // Uploads packed rows, each row one colour (row 0 first).
  std::vector<Level> UploadRows(int width, const std::vector<Rgb>& rows) {
    std::vector<uint8_t> data;
    for (const Rgb& c : rows) {
      for (int x = 0; x < width; ++x) {
        data.push_back(static_cast<uint8_t>(c.r));
        data.push_back(static_cast<uint8_t>(c.g));
        data.push_back(static_cast<uint8_t>(c.b));
      }
    }
    RgbImage image{width, static_cast<int32_t>(rows.size()), data.data()};
    UploadMipmapChain(image);
    return ReadLevels();
  }

  GLuint texture_ = 0;
};

TEST(MipmapSide, NearestPowerOfTwoNotAboveTheLargestTexture) {
  const int cases[][3] = {{1, 1, 4096},     {2, 2, 4096},     {3, 4, 4096},     {5, 4, 4096},
                          {6, 8, 4096},     {100, 128, 4096}, {95, 64, 4096},   {257, 256, 4096},
                          {300, 256, 4096}, {383, 256, 4096}, {384, 512, 4096}, {640, 512, 4096},
                          {480, 512, 4096}, {5000, 4096, 4096}, {3000, 2048, 2048}};
  for (const auto& c : cases) EXPECT_EQ(MipmapSide(c[0], c[2]), c[1]) << c[0] << " with at most " << c[2];
}

// A one-colour bitmap file through the whole loading path: the expected
// level sizes are worked out by hand, and every texel of every level,
// the top row included, must carry the colour.
TEST_F(TextureUpload, SolidBitmapFillsEveryTexelOfEveryLevel) {
  const test::TempDir dir;
  const int sizes[][4] = {{3, 2, 4, 2},       {3, 4, 4, 4},       {5, 1, 4, 1},     {6, 1, 8, 1},
                          {1, 5, 1, 4},       {100, 64, 128, 64}, {128, 100, 128, 128},
                          {257, 256, 256, 256}, {300, 256, 256, 256}, {7, 3, 8, 4}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
    const std::string path = dir.path() + "/solid.bmp";
    ASSERT_TRUE(test::WriteSolidBitmap(path, s[0], s[1], 0xC86432));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    GLuint texture = 0;
    ASSERT_TRUE(LoadBitmapTexture(path, texture));
    GLint alignment = 0, mag = 0, min = 0, wrap_s = 0, wrap_t = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8) << "the caller's unpack alignment is restored";
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap_s);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap_t);
    EXPECT_EQ(mag, GL_LINEAR);
    EXPECT_EQ(min, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(wrap_s, GL_REPEAT);
    EXPECT_EQ(wrap_t, GL_REPEAT);
    const std::vector<Level> levels = ReadLevels();
    ExpectFullChain(levels, s[2], s[3]);
    for (size_t i = 0; i < levels.size(); ++i) {
      for (int y = 0; y < levels[i].height; ++y) {
        for (int x = 0; x < levels[i].width; ++x) {
          const Rgb c = levels[i].At(x, y);
          ASSERT_TRUE(c.r == 0xC8 && c.g == 0x64 && c.b == 0x32)
              << "level " << i << " texel " << x << "," << y << ": " << c.r << " " << c.g << " " << c.b;
        }
      }
    }
    glDeleteTextures(1, &texture);
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// Rows of their own colours, in images whose height needs no rescaling and
// whose widths are not multiples of 4: level 0 holds each source row
// unchanged and in place (a skewed upload or a lost top row shows), and each
// further level the mean of the two rows it halves.
TEST_F(TextureUpload, StripedRowsStayInPlaceThroughTheChain) {
  const int sizes[][3] = {{3, 2, 4}, {5, 4, 4}, {3, 8, 4}, {6, 16, 8}, {300, 8, 256}, {257, 16, 256}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
    std::vector<Rgb> rows;
    for (int y = 0; y < s[1]; ++y) rows.push_back({(y * 53 + 20) % 256, 255 - y * 15, y % 2 == 0 ? 0 : 255});
    const std::vector<Level> levels = UploadRows(s[0], rows);
    ExpectFullChain(levels, s[2], s[1]);
    std::vector<Rgb> expected = rows;
    for (size_t i = 0; i < levels.size(); ++i) {
      if (i > 0 && expected.size() > 1) {
        std::vector<Rgb> halved;
        for (size_t y = 0; y + 1 < expected.size(); y += 2) {
          const Rgb& a = expected[y];
          const Rgb& b = expected[y + 1];
          halved.push_back({(a.r + b.r + 1) / 2, (a.g + b.g + 1) / 2, (a.b + b.b + 1) / 2});
        }
        expected = halved;
      }
      for (int y = 0; y < levels[i].height; ++y) {
        for (int x = 0; x < levels[i].width; ++x) {
          const Rgb c = levels[i].At(x, y);
          const Rgb& e = expected[static_cast<size_t>(y)];
          ASSERT_TRUE(std::abs(c.r - e.r) <= 1 && std::abs(c.g - e.g) <= 1 && std::abs(c.b - e.b) <= 1)
              << "level " << i << " texel " << x << "," << y << ": " << c.r << " " << c.g << " " << c.b
              << ", expected " << e.r << " " << e.g << " " << e.b;
        }
      }
    }
  }
}

// Three rows red, green, blue scaled to four: each new row takes the source
// rows it covers by area (0-3/4, 3/4-6/4, 6/4-9/4, 9/4-3 of the source).
TEST_F(TextureUpload, RescaledHeightBlendsRowsByTheAreaTheyCover) {
  const std::vector<Level> levels = UploadRows(4, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}});
  ExpectFullChain(levels, 4, 4);
  const Rgb expected[4] = {{255, 0, 0}, {85, 170, 0}, {0, 170, 85}, {0, 0, 255}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      const Rgb c = levels[0].At(x, y);
      EXPECT_NEAR(c.r, expected[y].r, 1) << x << "," << y;
      EXPECT_NEAR(c.g, expected[y].g, 1) << x << "," << y;
      EXPECT_NEAR(c.b, expected[y].b, 1) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace oruna
