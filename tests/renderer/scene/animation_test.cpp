// The scene's animation without GL: random source, corona grid, sparks,
// billboard geometry and the rotation angle.
#include <gtest/gtest.h>

#include <cmath>

#include "billboard.h"
#include "corona_grid.h"
#include "particles.h"
#include "random_source.h"
#include "scene.h"

namespace oruna {
namespace {

// One frame's animation, in the order the frame runs it.
void AnimateFrame() {
  JitterCoronaGrid();
  StepSparkEmitters();
}

class AnimationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRandomSource();
    ResetParticles();
    BuildCoronaGrid();
  }
  int ActiveCount() {
    int n = 0;
    for (int i = 0; i < kParticleCount; ++i) n += ParticlePool()[i].active;
    return n;
  }
};

TEST_F(AnimationTest, RandomSourceStartsFromOneAndIsRepeatable) {
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int e : expected) EXPECT_EQ(NextRandom(), e);
  ResetRandomSource();
  EXPECT_EQ(NextRandom(), 41);
  for (int i = 0; i < 100000; ++i) {
    const int r = NextRandom();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
}

TEST_F(AnimationTest, GridIsAUnitSphereWithAnExactSeam) {
  const CoronaGrid& base = BaseGrid();
  for (int n = 0; n < kGridSize; ++n) {
    EXPECT_EQ(base[32][n].x, base[0][n].x);
    EXPECT_EQ(base[32][n].y, base[0][n].y);
    EXPECT_EQ(base[32][n].z, base[0][n].z);
    for (int m = 0; m < kGridSize; ++m) {
      const GridVertex& v = base[m][n];
      EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 1.0, 1e-3);
    }
  }
  EXPECT_NEAR(base[0][0].y, 1.0f, 1e-6);    // n = 0 is the +y pole
  EXPECT_NEAR(base[0][32].y, -1.0f, 1e-3);  // n = 32 the -y pole
  // The emitter positions the sparks rise from.
  EXPECT_NEAR(base[16][10].x, 0.000, 2e-3);
  EXPECT_NEAR(base[16][10].y, 0.556, 2e-3);
  EXPECT_NEAR(base[16][10].z, 0.831, 2e-3);
  EXPECT_NEAR(base[18][8].x, -0.270, 2e-3);
  EXPECT_NEAR(base[13][6].z, 0.462, 2e-3);
}

TEST_F(AnimationTest, FirstJitterFollowsTheFirstDraws) {
  JitterCoronaGrid();
  const CoronaGrid& base = BaseGrid();
  const CoronaGrid& jit = JitteredGrid();
  // Draws 41 and 18467 are odd, 6334 even.
  EXPECT_NEAR(jit[0][0].x - base[0][0].x, 0.004f, 1e-6);
  EXPECT_NEAR(jit[0][0].y - base[0][0].y, 0.004f, 1e-6);
  EXPECT_FLOAT_EQ(jit[0][0].z, base[0][0].z);
}

TEST_F(AnimationTest, FirstFrameSpawnsOneSparkPerEmitterSteppedFiveToOneTimes) {
  AnimateFrame();
  const Particle* pool = ParticlePool();
  ASSERT_EQ(ActiveCount(), 5);
  const float expected_life[] = {195, 196, 197, 198, 199};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(pool[i].life, expected_life[i]) << i;
  // Draws 3,268..3,272 of the run, modulo 10: 3, 2, 0, 1, 5.
  EXPECT_FLOAT_EQ(pool[0].vx, 1.0f / 30000.0f);
  EXPECT_FLOAT_EQ(pool[0].vy, 0.0001f);
  EXPECT_FLOAT_EQ(pool[0].vz, -4.0f / 30000.0f);
  EXPECT_NEAR(pool[0].size, 0.001 + 5 * 0.0002, 1e-6);
  EXPECT_NEAR(pool[0].y, BaseGrid()[16][10].y + 5 * 0.0001, 1e-6);
  for (int i = 0; i < 5; ++i) {
    EXPECT_GE(pool[i].vy, 0.0001f - 1e-9f);
    EXPECT_LE(pool[i].vy, 0.0004f + 1e-9f);
    EXPECT_LE(std::fabs(pool[i].vx), 0.0003f + 1e-9f);
  }
}

TEST_F(AnimationTest, SparksLiveFortyFramesAndFreedRecordsAreReusedLowestFirst) {
  for (int frame = 0; frame < 39; ++frame) AnimateFrame();
  EXPECT_EQ(ActiveCount(), 195);
  // Frame 40: the first spark reaches 200 steps at the frame's last call.
  AnimateFrame();
  const Particle* pool = ParticlePool();
  EXPECT_EQ(ActiveCount(), 199);
  EXPECT_EQ(pool[0].active, 0);
  // Frame 41's first spawn takes the lowest free record, record 0.
  AnimateFrame();
  EXPECT_EQ(pool[0].active, 1);
  EXPECT_EQ(pool[0].life, 195.0f);
  for (int frame = 0; frame < 200; ++frame) {
    AnimateFrame();
    EXPECT_EQ(ActiveCount(), 199);
    for (int i = 0; i < kParticleCount; ++i) {
      if (pool[i].active == 1) ASSERT_GT(pool[i].life, 0.0f) << "frame " << frame;
      else ASSERT_EQ(pool[i].active, 0);
    }
  }
  // Nothing above the first 200 records was ever used.
  for (int i = 200; i < kParticleCount; ++i) EXPECT_EQ(pool[i].active, 0);
}

TEST_F(AnimationTest, FullPoolSpawnsNothing) {
  StepParticles(0, 0, 0, kParticleCount);
  ASSERT_EQ(ActiveCount(), kParticleCount);
  const uint32_t state = RandomState();
  StepParticles(0, 0, 0, 1);
  EXPECT_EQ(RandomState(), state);  // no free record: no draws either
}

TEST(RotationAngle, AdvancesAndWrapsBySubtraction) {
  EXPECT_FLOAT_EQ(AdvanceAngle(0.0f), 0.03f);
  EXPECT_NEAR(AdvanceAngle(359.98f), 0.01f, 1e-4);
  EXPECT_LT(AdvanceAngle(359.97f), 360.0f);
}

// P = (0.1, 0.6, 0.8) seen from E = (1, 1.2, 1): D = E - P = (0.9, 0.6, 0.2),
// R = D x z = (0.6, -0.9, 0), U = D x R = (0.18, 0.12, -1.17); the corners are
// P + R, P - U, P - R, P + U with R and U scaled to length s.
TEST(Billboard, CornersLieAlongTheCrossProductsOfTheLineOfSight) {
  const Vec3d p{0.1, 0.6, 0.8};
  const double s = 0.02;
  const auto c = BillboardCorners(p, s, {1.0, 1.2, 1.0});
  const double r = s / std::sqrt(0.6 * 0.6 + 0.9 * 0.9);
  const double u = s / std::sqrt(0.18 * 0.18 + 0.12 * 0.12 + 1.17 * 1.17);
  const Vec3d expected[4] = {{0.1 + 0.6 * r, 0.6 - 0.9 * r, 0.8},
                             {0.1 - 0.18 * u, 0.6 - 0.12 * u, 0.8 + 1.17 * u},
                             {0.1 - 0.6 * r, 0.6 + 0.9 * r, 0.8},
                             {0.1 + 0.18 * u, 0.6 + 0.12 * u, 0.8 - 1.17 * u}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(c[i].x, expected[i].x, 1e-12) << "corner " << i;
    EXPECT_NEAR(c[i].y, expected[i].y, 1e-12) << "corner " << i;
    EXPECT_NEAR(c[i].z, expected[i].z, 1e-12) << "corner " << i;
  }
}

TEST(Vectors, CrossProductIsRightHanded) {
  const Vec3d x{1, 0, 0}, y{0, 1, 0};
  const Vec3d z = VecCross(x, y);
  EXPECT_EQ(z.x, 0);
  EXPECT_EQ(z.y, 0);
  EXPECT_EQ(z.z, 1);
  const Vec3d n = VecNormalize({3, 0, 4});
  EXPECT_DOUBLE_EQ(n.x, 0.6);
  EXPECT_DOUBLE_EQ(n.z, 0.8);
}

}  // namespace
}  // namespace oruna
