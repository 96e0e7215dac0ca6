// Drawing frames allocates nothing: after the first frame (which may set up
// driver state), hundreds of frames of the whole scene with its four textures
// make no allocation through operator new. The GL driver's own mallocs are
// not counted (see allocation_counter.h).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "allocation_counter.h"
#include "bmp_writer.h"
#include "gl_test_context.h"
#include "scene.h"
#include "test_support.h"

namespace oruna {
namespace {

// The counter sees our allocations, made directly or through libstdc++.
TEST(FrameAllocation, TheCounterSeesAllocationsOfThisProgram) {
  test::AllocationCount allocations;
  auto number = std::make_unique<int>(7);
  const std::string text(100, 'x');
  EXPECT_EQ(allocations.count(), 2u);
  EXPECT_EQ(*number + static_cast<int>(text.size()), 107);
}

TEST(FrameAllocation, FramesAfterTheFirstAllocateNothing) {
  ASSERT_TRUE(test::UseGlContext());
  test::TempDir runtime;
  const std::string dir = runtime.path() + "/p_orvi";
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  const int sides[4] = {64, 128, 32, 16};
  for (int i = 0; i < 4; ++i)
    ASSERT_TRUE(test::WriteSolidBitmap(dir + "/Oruna" + std::to_string(i + 1) + ".bmp", sides[i], sides[i],
                                       0x406080u + static_cast<uint32_t>(i)));
  const char* old_runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old_runtime != nullptr ? old_runtime : "";
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  const bool loaded = InitScene();
  if (old_runtime != nullptr) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else unsetenv("XDG_RUNTIME_DIR");
  ASSERT_TRUE(loaded);
  ASSERT_NE(Textures().sphere, 0u);
  ResizeView(64, 64);

  DrawFrame();
  glFinish();
  // 400 frames: the sparks (200 frames of life) fill their pool and start to
  // be reused on the way.
  test::AllocationCount allocations;
  for (int frame = 0; frame < 400; ++frame) DrawFrame();
  glFinish();
  EXPECT_EQ(allocations.count(), 0u);
}

}  // namespace
}  // namespace oruna
