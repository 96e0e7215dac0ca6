// The real scene drawn by Mesa on a private Xvfb: repeatable frames and the
// colours of its elements, probed with plain-coloured textures.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bmp_writer.h"
#include "test_support.h"

namespace oruna::test {
namespace {

struct Frame {
  std::vector<uint8_t> ppm;
  uint32_t At(int x, int y) const {
    const size_t header = ppm.size() - 1024u * 768u * 3u;
    const uint8_t* p = &ppm[header + (static_cast<size_t>(y) * 1024 + static_cast<size_t>(x)) * 3];
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }
};

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }

struct V3 {
  double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Unit(V3 a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

// The scene's camera, worked out from its description: the eye at
// (1, 1.2, 1) looking at (-1, 0, 0) with y up, a 45-degree vertical field of
// view on the 1024 x 768 window.
struct Camera {
  static constexpr int kWidth = 1024, kHeight = 768;
  const V3 eye{1, 1.2, 1};
  const V3 forward = Unit(V3{-1, 0, 0} - eye);
  const V3 side = Unit(Cross(forward, {0, 1, 0}));
  const V3 up = Cross(side, forward);
  const double focal = 1.0 / std::tan(22.5 * std::acos(-1.0) / 180.0);
  const double aspect = static_cast<double>(kWidth) / kHeight;

  // Where a world point lands, in picture pixels (x right, y down).
  void Project(V3 p, double& px, double& py) const {
    const V3 v = p - eye;
    const double depth = Dot(v, forward);
    px = (Dot(v, side) * focal / aspect / depth + 1) * kWidth / 2;
    py = kHeight - (Dot(v, up) * focal / depth + 1) * kHeight / 2;
  }
  // The unit direction of the ray through the centre of picture pixel (x, y).
  V3 Ray(int x, int y) const {
    const double nx = (x + 0.5) * 2 / kWidth - 1, ny = 1 - (y + 0.5) * 2 / kHeight;
    return Unit(forward + side * (nx * aspect / focal) + up * (ny / focal));
  }
};

// What a ray from the eye meets first, with margins around every edge (the
// GLU sphere is a polygon approximation of radius 0.99, the corona shell lies
// at about 1): the sphere, the backdrop wall (x = -5, y -4..4, z -8..3), the
// cleared background, or nothing certain.
enum class Seen { kSphere, kWall, kBackground, kUnsure };

Seen Trace(const Camera& camera, V3 ray, double* wall_y = nullptr) {
  const double along = -Dot(camera.eye, ray);
  const double miss = std::sqrt(Dot(camera.eye, camera.eye) - along * along);
  if (miss < 0.95) return Seen::kSphere;
  if (miss < 1.03) return Seen::kUnsure;
  if (ray.x >= 0) return Seen::kBackground;
  const V3 hit = camera.eye + ray * ((-5 - camera.eye.x) / ray.x);
  const double inside = std::min({4 - std::fabs(hit.y), 3 - hit.z, hit.z + 8});
  if (wall_y != nullptr) *wall_y = hit.y;
  if (inside > 0.05) return Seen::kWall;
  return inside < -0.05 ? Seen::kBackground : Seen::kUnsure;
}

// The five spark emitters on the unit shell, by azimuth and polar angle.
V3 Emitter(int i) {
  const double degree = std::acos(-1.0) / 180;
  const double angles[5][2] = {{90, 56.25}, {112.5, 45}, {56.25, 50.625}, {78.75, 50.625}, {56.25, 33.75}};
  const double phi = angles[i][0] * degree, theta = angles[i][1] * degree;
  return {std::cos(phi) * std::sin(theta), std::cos(theta), std::sin(phi) * std::sin(theta)};
}

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
  // An 8 x 8 bitmap: its two left columns (s < 0.25) `left`, the rest `right`.
  void SplitTexture(int index, uint32_t left, uint32_t right) {
    const std::string path = dir_ + "/Oruna" + std::to_string(index) + ".bmp";
    ASSERT_TRUE(WriteSolidBitmap(path, 8, 8, left));
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    for (size_t y = 0; y < 8; ++y) {
      for (size_t x = 2; x < 8; ++x) {
        uint8_t* p = &bytes[54 + y * 24 + x * 3];
        p[0] = static_cast<uint8_t>(right);
        p[1] = static_cast<uint8_t>(right >> 8);
        p[2] = static_cast<uint8_t>(right >> 16);
      }
    }
    ASSERT_TRUE(WriteFileBytes(path, bytes));
  }
  Frame Render(int frames) {
    Frame frame;
    const std::string out = runtime_.path() + "/frame.ppm";
    std::remove(out.c_str());
    ChildProcess child({BinaryDir() + "/scene_snapshot", std::to_string(frames), out},
                       {{"XDG_RUNTIME_DIR", runtime_.path()}});
    EXPECT_EQ(child.Wait(std::chrono::seconds(60)), 0);
    frame.ppm = ReadFileBytes(out);
    EXPECT_EQ(frame.ppm.size(), 1024u * 768u * 3u + 16u);
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

// The picture against the scene's geometry: pixels are classified by tracing
// their rays, every 16th pixel and every pixel around the spark emitters.
// The wall's texture runs from y = -4 (s = 0) to y = 4 (s = 1): blue up to
// y = -2, green above (the wall in sight ends at about y = 0.7); a margin of
// a texel and more keeps clear of the filtered borders. Sphere pixels show the sphere's colour
// (0.8, 0.8, 0.1) under the corona's blend, src + dst * dst with the
// corona's colour (1, 1, 0) times a 0x40 grey texture: 0.25 + 0.64 = 0.89
// (227). Black sparks add nothing. The third frame, so that state left
// over from the frame before (the sparks' blending) would show.
TEST_F(SceneRenderTest, ElementsLieWhereTheCameraSeesThemInTheirColours) {
  Texture(1, 0x404040);
  SplitTexture(2, 0x0000FF, 0x00FF00);
  Texture(3, 0xFFFFFF);
  Texture(4, 0x000000);
  const Frame frame = Render(3);
  const Camera camera;
  int counts[4] = {}, wrong = 0, lower_wall = 0, upper_wall = 0;  // wall probes clear of the borders
  auto check = [&](int x, int y) {
    double wall_y = 0;
    const Seen seen = Trace(camera, camera.Ray(x, y), &wall_y);
    const uint32_t c = frame.At(x, y);
    bool ok = true;
    if (seen == Seen::kSphere)
      ok = std::abs(Channel(c, 16) - 227) <= 3 && std::abs(Channel(c, 8) - 227) <= 3 && Channel(c, 0) <= 5;
    else if (seen == Seen::kWall && wall_y > -3.4 && wall_y < -2.6)
      ok = (++lower_wall, c == 0x0000FFu);
    else if (seen == Seen::kWall && wall_y > -1.4)
      ok = (++upper_wall, c == 0x00FF00u);
    else if (seen == Seen::kBackground)
      ok = c == 0u;
    ++counts[static_cast<int>(seen)];
    if (!ok && ++wrong <= 5)
      ADD_FAILURE() << "pixel " << x << "," << y << " (" << static_cast<int>(seen) << ") is " << std::hex << c;
  };
  for (int y = 8; y < Camera::kHeight; y += 16)
    for (int x = 8; x < Camera::kWidth; x += 16) check(x, y);
  for (int i = 0; i < 5; ++i) {
    double ex = 0, ey = 0;
    camera.Project(Emitter(i), ex, ey);
    for (int y = static_cast<int>(ey) - 16; y <= static_cast<int>(ey) + 16; ++y)
      for (int x = static_cast<int>(ex) - 16; x <= static_cast<int>(ex) + 16; ++x) check(x, y);
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(counts[static_cast<int>(Seen::kSphere)], 300);
  EXPECT_GT(counts[static_cast<int>(Seen::kBackground)], 30);
  EXPECT_GT(lower_wall, 30);
  EXPECT_GT(upper_wall, 100);
}

// Only the sparks are lit (every other texture black; the corona then adds
// 0 + 0 * 0). In the second frame each emitter has two sparks at most ten
// steps (0.006 units) from it; nothing lies further out. One spark is
// (r, r / 2, 0) with r at most 1, so a green above half of full shows two
// sparks adding up where they overlap, and red stays above green.
TEST_F(SceneRenderTest, SparksRiseFromTheFiveEmittersAndAddUp) {
  Texture(1, 0x000000);
  Texture(2, 0x000000);
  Texture(3, 0x000000);
  Texture(4, 0xFFFFFF);
  const Frame frame = Render(2);
  double at[5][2];
  for (int i = 0; i < 5; ++i) Camera().Project(Emitter(i), at[i][0], at[i][1]);
  uint32_t greenest[5] = {};
  int stray = 0;
  for (int y = 0; y < Camera::kHeight; ++y) {
    for (int x = 0; x < Camera::kWidth; ++x) {
      const uint32_t c = frame.At(x, y);
      if (c == 0) continue;
      int near = -1;
      for (int i = 0; i < 5; ++i)
        if (std::hypot(x + 0.5 - at[i][0], y + 0.5 - at[i][1]) < 12) near = i;
      if (near < 0) {
        if (++stray <= 5) ADD_FAILURE() << "lit pixel " << x << "," << y << " far from every emitter";
      } else if (Channel(c, 8) > Channel(greenest[near], 8)) {
        greenest[near] = c;
      }
      EXPECT_EQ(Channel(c, 0), 0) << x << "," << y;
    }
  }
  EXPECT_EQ(stray, 0);
  for (int i = 0; i < 5; ++i) {
    const uint32_t c = greenest[i];
    EXPECT_GT(Channel(c, 8), 160) << "emitter " << i + 1 << " at " << at[i][0] << "," << at[i][1];
    EXPECT_GT(Channel(c, 16), Channel(c, 8)) << "emitter " << i + 1;
  }
}

TEST_F(SceneRenderTest, MissingTextureDrawsItsElementInPlainColour) {
  Texture(1, 0x000000);
  Texture(3, 0x0000FF);  // only the wall's bitmap is missing
  Texture(4, 0xFFFFFF);
  const Frame frame = Render(1);
  EXPECT_EQ(frame.At(20, 20), 0xFFFFFFu) << "an untextured wall is plain white";
  // A blue-textured sphere times (0.8, 0.8, 0.1) is nearly black, squared.
  double x = 0, y = 0;
  Camera().Project({0, 0, 0}, x, y);
  const uint32_t centre = frame.At(static_cast<int>(x), static_cast<int>(y));
  EXPECT_LE(Channel(centre, 16), 3);
}

}  // namespace
}  // namespace oruna::test
