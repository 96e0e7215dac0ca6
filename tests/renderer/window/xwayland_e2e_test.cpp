// The real Oruna.scr /s on Wayland desktops through XWayland: headless
// weston 10 and sway 1.7, one 1280x800 output, a desktop painted in colours
// the scene never shows. Neither compositor changes the output's mode (the
// 1024x768 mode is only emulated for the renderer): weston makes the
// full-screen window the output's size at once, sway a little later. Either
// way the scene covers the whole output, drawn at its size, and Escape ends
// the run with nothing left.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

#include "test_support.h"
#include "wayland_session.h"

namespace oruna::test {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr int kWidth = 1280, kHeight = 800;

class XWaylandRun : public ::testing::TestWithParam<Compositor> {
 protected:
  void SetUp() override {
    session_ = std::make_unique<WaylandSession>(WaylandSessionOptions{GetParam(), kWidth, kHeight, true, ""});
    if (!session_->ok() && session_->why_not().find("not installed") != std::string::npos)
      GTEST_SKIP() << session_->why_not();
    ASSERT_TRUE(session_->ok()) << session_->why_not();
    programs_ = session_->CopyPrograms({BinaryDir() + "/Oruna.scr", BinaryDir() + "/Oruna.dll"});
    ASSERT_FALSE(programs_.empty());
  }
  void TearDown() override {
    if (!programs_.empty()) EndAll(programs_);
  }

  std::unique_ptr<WaylandSession> session_;
  std::string programs_;
};

TEST_P(XWaylandRun, TheSceneCoversTheWholeOutputAndEscapeEndsTheRunWithNothingLeft) {
  std::optional<Screenshot> shot = session_->TakeScreenshot();
  ASSERT_TRUE(shot.has_value());
  EXPECT_GT(CountPixels(*shot, kDesktopBackground), 0u) << "the desktop shows before the run: " << Describe(*shot);

  const auto start = steady_clock::now();
  // Through XWayland: without a Wayland socket to prefer, the X display is used.
  std::unique_ptr<ChildProcess> saver =
      session_->StartClient({programs_ + "/Oruna.scr", "/s"}, {{"WAYLAND_DISPLAY", ""}});
  EXPECT_TRUE(WaitUntil(
      [&] { return (shot = session_->TakeScreenshot()) && SceneFillsOutput(*shot, kWidth, kHeight); }, 20s))
      << (shot ? Describe(*shot) : "no screenshot");
  const auto shown = steady_clock::now();
  // The picture stays whole: no late move or resize uncovers the desktop.
  SleepMs(500);
  ASSERT_TRUE((shot = session_->TakeScreenshot()).has_value());
  EXPECT_TRUE(SceneFillsOutput(*shot, kWidth, kHeight));

  const auto escape = steady_clock::now();
  ASSERT_TRUE(session_->PressKey("Escape", "Oruna_VC"));
  EXPECT_EQ(saver->Wait(10s), 0) << "Escape ends the saver";
  const auto ended = steady_clock::now();
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(programs_).empty(); }, 5s)) << "no renderer is left";
  EXPECT_TRUE(WaitUntil([&] {
    return (shot = session_->TakeScreenshot()) && CountPixels(*shot, kDesktopBackground) > 0;
  }, 5s)) << "the desktop is back, no window or cover left: " << (shot ? Describe(*shot) : "no screenshot");
  std::cout << CompositorName(GetParam()) << ": whole output shown after "
            << duration_cast<milliseconds>(shown - start).count() << " ms, ended "
            << duration_cast<milliseconds>(ended - escape).count() << " ms after Escape\n";
  EXPECT_TRUE(session_->End()) << "the compositor ends on SIGTERM with everything it started";
}

INSTANTIATE_TEST_SUITE_P(Compositors, XWaylandRun, ::testing::Values(Compositor::kWeston, Compositor::kSway),
                         [](const auto& info) { return std::string(CompositorName(info.param)); });

// A mode change the server refuses (through a preloaded library) leaves the
// 1024x768 windowed fallback, which weston places where it likes, not at the
// corner asked for: the black covers follow the window there, so no
// background shows around it. (weston's panel stays above covers and window
// alike: its layer is above every X window that is not full screen.) sway
// would tile the window over its output, so only weston is tried.
using RefusedModeRun = XWaylandRun;

TEST_P(RefusedModeRun, TheCoversFollowTheWindowWhereTheCompositorPlacedIt) {
  const std::string shim = session_->CopyPrograms({ORUNA_REFUSED_MODE_SHIM});
  ASSERT_FALSE(shim.empty());
  const char* asan = std::getenv("ASAN_OPTIONS");
  std::unique_ptr<ChildProcess> renderer = session_->StartClient(
      {programs_ + "/Oruna.scr", "/s"},
      {{"WAYLAND_DISPLAY", ""},  // through XWayland, as above
       {"LD_PRELOAD", shim + "/liboruna_refused_mode_shim.so"},
       {"ORUNA_MODE_REFUSAL", "fail"},
       // The sanitizer runtime wants to be loaded first; the shim holds no
       // instrumented code.
       {"ASAN_OPTIONS", std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0"}});
  std::optional<Screenshot> shot;
  EXPECT_TRUE(WaitUntil([&] {
    return (shot = session_->TakeScreenshot()) && CountPixels(*shot, kDesktopBackground) == 0 &&
           Bright(shot->At(kWidth / 2 + 200, kHeight / 2 + 200));
  }, 20s)) << (shot ? Describe(*shot) : "no screenshot") << ", background pixels "
           << (shot ? CountPixels(*shot, kDesktopBackground) : 0);
  ASSERT_TRUE(session_->PressKey("Escape", "Oruna_VC"));
  EXPECT_EQ(renderer->Wait(10s), 0);
}

INSTANTIATE_TEST_SUITE_P(Compositors, RefusedModeRun, ::testing::Values(Compositor::kWeston),
                         [](const auto& info) { return std::string(CompositorName(info.param)); });

}  // namespace
}  // namespace oruna::test
