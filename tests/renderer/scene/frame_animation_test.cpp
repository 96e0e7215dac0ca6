// What DrawFrame does to the animation, with a real GL context current: the
// jittered grid and the sparks after two frames, against the random draws
// worked out here from the generator's own formula in the frame's order
// (jitter first, then five draws per spark, emitter by emitter).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "corona_grid.h"
#include "gl_test_context.h"
#include "particles.h"
#include "random_source.h"
#include "scene.h"

namespace oruna {
namespace {

// state = state * 214013 + 2531011 (mod 2^32), bits 16 to 30.
struct Draws {
  uint32_t state = 1;
  int Next() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
};

struct Spark {
  float x, y, z, vx, vy, vz, life;
};

TEST(FrameAnimation, TwoFramesDrawInTheFramesOrder) {
  ASSERT_TRUE(test::UseGlContext());
  ResizeView(64, 64);
  ResetRandomSource();
  ResetParticles();
  BuildCoronaGrid();
  const CoronaGrid& base = BaseGrid();
  const int emitters[5][2] = {{16, 10}, {18, 8}, {13, 9}, {15, 9}, {13, 6}};
  Draws draws;
  std::vector<Spark> sparks;
  for (int frame = 0; frame < 2; ++frame) {
    DrawFrame();
    const CoronaGrid& jit = JitteredGrid();
    for (int n = 0; n < kGridSize; ++n) {
      for (int m = 0; m < kGridSize; ++m) {
        const float d[3] = {(draws.Next() % 2) / 250.0f, (draws.Next() % 2) / 250.0f, (draws.Next() % 2) / 250.0f};
        ASSERT_NEAR(jit[m][n].x - base[m][n].x, d[0], 1e-6) << "frame " << frame << " [" << m << "][" << n << "]";
        ASSERT_NEAR(jit[m][n].y - base[m][n].y, d[1], 1e-6) << "frame " << frame << " [" << m << "][" << n << "]";
        ASSERT_NEAR(jit[m][n].z - base[m][n].z, d[2], 1e-6) << "frame " << frame << " [" << m << "][" << n << "]";
      }
    }
    for (const auto& e : emitters) {
      const GridVertex& at = base[e[0]][e[1]];
      int r[5];
      for (int& v : r) v = draws.Next() % 10;
      sparks.push_back({at.x, at.y, at.z, (r[0] - r[1]) / 30000.0f, r[2] / 30000.0f + 0.0001f,
                        (r[3] - r[4]) / 30000.0f, 200.0f});
      for (Spark& s : sparks) {
        s.x += s.vx;
        s.y += s.vy;
        s.z += s.vz;
        s.life -= 1.0f;
      }
    }
  }
  EXPECT_EQ(RandomState(), draws.state);
  const Particle* pool = ParticlePool();
  for (size_t i = 0; i < sparks.size(); ++i) {
    const Spark& s = sparks[i];
    const Particle& p = pool[i];
    EXPECT_EQ(p.active, 1) << i;
    EXPECT_EQ(p.life, s.life) << i;
    EXPECT_FLOAT_EQ(p.vx, s.vx) << i;
    EXPECT_FLOAT_EQ(p.vy, s.vy) << i;
    EXPECT_FLOAT_EQ(p.vz, s.vz) << i;
    EXPECT_NEAR(p.x, s.x, 1e-6) << i;
    EXPECT_NEAR(p.y, s.y, 1e-6) << i;
    EXPECT_NEAR(p.z, s.z, 1e-6) << i;
  }
  EXPECT_EQ(pool[sparks.size()].active, 0);
  EXPECT_NEAR(RotationAngle(), 0.06f, 1e-6);
}

}  // namespace
}  // namespace oruna
