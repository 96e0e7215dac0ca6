// The real scene drawn by Mesa on a private Xvfb: repeatable frames and the
// colours of its elements, probed with plain-coloured textures.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bmp_writer.h"
#include "test_support.h"

namespace oruna::test {
namespace {

struct Frame {
  std::vector<uint8_t> ppm;
  int centre_x = -1, centre_y = -1;
  uint32_t At(int x, int y) const {
    const size_t header = ppm.size() - 1024u * 768u * 3u;
    const uint8_t* p = &ppm[header + (static_cast<size_t>(y) * 1024 + static_cast<size_t>(x)) * 3];
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }
};

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

class SceneRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb_.ok());
    dir_ = runtime_.path() + "/p_orvi";
    ASSERT_EQ(mkdir(dir_.c_str(), 0700), 0);
  }
  void Texture(int index, uint32_t rgb) {
    ASSERT_TRUE(WriteSolidBitmap(dir_ + "/Oruna" + std::to_string(index) + ".bmp", 8, 8, rgb));
  }
  Frame Render(int frames) {
    Frame frame;
    const std::string out = runtime_.path() + "/frame.ppm";
    const std::string log = runtime_.path() + "/centre.txt";
    std::remove(out.c_str());
    const std::string command = BinaryDir() + "/scene_snapshot " + std::to_string(frames) + " " + out +
                                " > " + log;
    ChildProcess child({"/bin/sh", "-c", command}, {{"XDG_RUNTIME_DIR", runtime_.path()}});
    EXPECT_EQ(child.Wait(std::chrono::seconds(60)), 0);
    frame.ppm = ReadFileBytes(out);
    if (FILE* f = std::fopen(log.c_str(), "r")) {
      EXPECT_EQ(std::fscanf(f, "centre %d %d", &frame.centre_x, &frame.centre_y), 2);
      std::fclose(f);
    }
    return frame;
  }

  XvfbServer xvfb_;
  TempDir runtime_;
  std::string dir_;
};

TEST_F(SceneRenderTest, TwoRunsDrawIdenticalFrames) {
  Texture(1, 0xFFC040);
  Texture(2, 0x203080);
  Texture(3, 0xE06020);
  Texture(4, 0xFFFFFF);
  const Frame a = Render(45);
  const Frame b = Render(45);
  ASSERT_EQ(a.ppm.size(), 1024u * 768u * 3u + 16u);
  EXPECT_TRUE(a.ppm == b.ppm) << "the animation must be the same at every start";
  EXPECT_FALSE(Render(46).ppm == a.ppm) << "frames must move on";
}

TEST_F(SceneRenderTest, WallSphereAndCoronaShowTheirColours) {
  Texture(1, 0x000000);  // a black corona adds nothing: dst = src + dst * dst
  Texture(2, 0x0000FF);
  Texture(3, 0xFFFFFF);
  Texture(4, 0xFFFFFF);
  const Frame dark = Render(1);
  ASSERT_GT(dark.centre_x, 0);
  // The wall fills the top-left corner with its texture.
  EXPECT_EQ(dark.At(20, 20), 0x0000FFu);
  // The sphere's colour (0.8, 0.8, 0.1), squared by the corona's blend.
  const uint32_t centre = dark.At(dark.centre_x, dark.centre_y);
  EXPECT_NEAR(Channel(centre, 16), 163, 3);
  EXPECT_NEAR(Channel(centre, 8), 163, 3);
  EXPECT_LE(Channel(centre, 0), 3);

  Texture(1, 0xFFFFFF);  // a white corona adds (1, 1, 0): brightening
  const Frame bright = Render(1);
  const uint32_t lit = bright.At(bright.centre_x, bright.centre_y);
  EXPECT_GE(Channel(lit, 16), 250);
  EXPECT_GE(Channel(lit, 8), 250);
  EXPECT_LE(Channel(lit, 0), 3);
}

TEST_F(SceneRenderTest, MissingTextureDrawsItsElementInPlainColour) {
  Texture(1, 0x000000);
  Texture(3, 0x0000FF);  // only the wall's bitmap is missing
  Texture(4, 0xFFFFFF);
  const Frame frame = Render(1);
  EXPECT_EQ(frame.At(20, 20), 0xFFFFFFu) << "an untextured wall is plain white";
  // A blue-textured sphere times (0.8, 0.8, 0.1) is nearly black, squared.
  const uint32_t centre = frame.At(frame.centre_x, frame.centre_y);
  EXPECT_LE(Channel(centre, 16), 3);
}

}  // namespace
}  // namespace oruna::test
