// The real Oruna.dll on a private Xvfb: its window is found by title from
// another process, Escape and close requests end it with exit code 0, and a
// start without any bitmap ends at once.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

#include "bmp_writer.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

class RendererEndToEnd : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    xvfb_ = std::make_unique<XvfbServer>(GetParam());
    ASSERT_TRUE(xvfb_->ok());
    x11_ = std::make_unique<X11Connection>();
    ASSERT_TRUE(x11_->ok());
    dir_ = runtime_.path() + "/p_orvi";
    ASSERT_EQ(mkdir(dir_.c_str(), 0700), 0);
  }
  void WriteAllTextures() {
    const uint32_t colours[] = {0xFFC040, 0x203080, 0xE06020, 0xFFFFFF};
    for (int i = 0; i < 4; ++i)
      ASSERT_TRUE(WriteSolidBitmap(dir_ + "/Oruna" + std::to_string(i + 1) + ".bmp", 16, 16, colours[i]));
  }
  std::unique_ptr<ChildProcess> Start() {
    return std::make_unique<ChildProcess>(std::vector<std::string>{BinaryDir() + "/Oruna.dll"},
                                          std::map<std::string, std::string>{
                                              {"XDG_RUNTIME_DIR", runtime_.path()}});
  }

  std::unique_ptr<XvfbServer> xvfb_;
  std::unique_ptr<X11Connection> x11_;
  TempDir runtime_;
  std::string dir_;
};

TEST_P(RendererEndToEnd, EscapeEndsItWithExitCodeZeroAndOtherKeysDoNot) {
  WriteAllTextures();
  auto renderer = Start();
  ASSERT_TRUE(x11_->WaitForWindow("Oruna_VC", 20s));
  int width = 0, height = 0;
  ASSERT_TRUE(x11_->Size(x11_->Find("Oruna_VC"), width, height));
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 768);
  // Full screen hides the cursor; the windowed fallback leaves it alone. The
  // window exists before the GL context does, so a slow start (a loaded
  // machine, the sanitizer build) hides the cursor a while later.
  const bool fullscreen_screen = std::string(GetParam()) == "1024x768x24";
  if (fullscreen_screen) {
    EXPECT_TRUE(WaitUntil([&] { return x11_->CursorHidden(); }, 10s));
  }
  SleepMs(300);
  EXPECT_EQ(x11_->CursorHidden(), fullscreen_screen);
  x11_->TapKey("a");
  x11_->TapKey("space");
  EXPECT_FALSE(renderer->Wait(500ms).has_value()) << "only Escape ends the renderer";
  x11_->TapKey("Escape");  // press and release before the next idle pass
  EXPECT_EQ(renderer->Wait(5s), 0);
  EXPECT_EQ(x11_->Find("Oruna_VC"), None);
  EXPECT_FALSE(x11_->CursorHidden()) << "the cursor is shown again at the end";
}

TEST_P(RendererEndToEnd, CloseRequestEndsItWithExitCodeZero) {
  WriteAllTextures();
  auto renderer = Start();
  ASSERT_TRUE(x11_->WaitForWindow("Oruna_VC", 20s));
  SleepMs(200);
  x11_->RequestClose(x11_->Find("Oruna_VC"));
  EXPECT_EQ(renderer->Wait(5s), 0);
  EXPECT_EQ(x11_->Find("Oruna_VC"), None);
}

TEST_P(RendererEndToEnd, WithoutAnyBitmapItEndsAtOnceWithZero) {
  auto renderer = Start();
  EXPECT_EQ(renderer->Wait(10s), 0);
  EXPECT_EQ(x11_->Find("Oruna_VC"), None);
}

// 1024x768 takes the full-screen path; a 1280x1024 screen offers no such
// mode, so the renderer falls back to a 1024x768 window without a word.
INSTANTIATE_TEST_SUITE_P(Screens, RendererEndToEnd, ::testing::Values("1024x768x24", "1280x1024x24"));

}  // namespace
}  // namespace oruna::test
