// The real Oruna.dll on real desktops: with two monitors the one it does not
// draw on is black, hides the pointer and cannot take Escape away; under
// openbox and xfwm4 it covers always-on-top windows and docks, and its
// windowed fallback has no frame and a black surrounding.
#include <gtest/gtest.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <memory>

#include "desktop_rig.h"
#include "renderer_e2e_support.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

// Colours no texture of the test and no shading of them can give.
constexpr uint32_t kMagenta = 0xFF00FF;
constexpr uint32_t kCyan = 0x00FFFF;
constexpr uint32_t kGreen = 0x00FF00;

struct Area {
  int x, y, width, height;
};

bool AllPixels(const std::vector<uint32_t>& pixels, uint32_t rgb) {
  return !pixels.empty() && std::all_of(pixels.begin(), pixels.end(), [&](uint32_t p) { return p == rgb; });
}

bool NoPixel(const std::vector<uint32_t>& pixels, uint32_t rgb) {
  return !pixels.empty() && std::none_of(pixels.begin(), pixels.end(), [&](uint32_t p) { return p == rgb; });
}

std::vector<uint32_t> GrabArea(X11Connection& x11, const Area& a) { return x11.Grab(a.x, a.y, a.width, a.height); }

// Maps a window and returns where the window manager put its inside, once
// its colour shows there.
Area ShowColourWindow(X11Connection& x11, Area want, uint32_t rgb, WindowKind kind) {
  const Window w = MapColourWindow(x11.get(), want.x, want.y, want.width, want.height, rgb, kind);
  Area got = want;
  const bool shown = WaitUntil(
      [&] { return RootPosition(x11.get(), w, got.x, got.y) && AllPixels(GrabArea(x11, got), rgb); }, 10s);
  const std::vector<uint32_t> pixels = GrabArea(x11, got);
  EXPECT_TRUE(shown) << "the test window is on screen before the run (inside at " << got.x << "," << got.y << ", "
                     << std::count(pixels.begin(), pixels.end(), rgb) << " pixels of its colour)";
  return got;
}

// True when the cursor the server now shows for the pointer's window has no
// opaque pixel: the blank cursor that hides it. (The dummy driver keeps no
// frame buffer file to look at, but a blank cursor is seen here.)
bool CursorBlank(Display* d) {
  XFixesCursorImage* cursor = XFixesGetCursorImage(d);
  if (cursor == nullptr) return false;
  bool blank = true;
  for (int i = 0; i < cursor->width * cursor->height; ++i)
    if ((cursor->pixels[i] >> 24) != 0) blank = false;
  XFree(cursor);
  return blank;
}

void Click(Display* d, int x, int y) {
  XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
  XTestFakeButtonEvent(d, 1, True, CurrentTime);
  XTestFakeButtonEvent(d, 1, False, CurrentTime);
  XSync(d, False);
}

// Without a window manager, and under one whose click gives the focus to the
// window clicked on. (xfwm4 is left out here: it sees monitors through GDK,
// which skips outputs reported as disconnected, as the dummy driver reports
// its second one, so it keeps every window on the first monitor.)
class TwoMonitors : public ::testing::TestWithParam<const char*> {};

TEST_P(TwoMonitors, SecondIsBlackTakesNoFocusAndComesBackAfterTheRun) {
  const std::string wm = GetParam();
  if (!wm.empty() && FindProgram(wm).empty()) GTEST_SKIP() << wm << " is not installed";
  TwoMonitorXorg xorg;
  if (!xorg.ok()) GTEST_SKIP() << xorg.why_not();
  X11Connection x11;
  ASSERT_TRUE(x11.ok());
  std::unique_ptr<ChildProcess> manager;
  if (!wm.empty()) {
    manager = StartWindowManager(x11.get(), wm);
    ASSERT_TRUE(manager != nullptr) << wm << " did not start";
  }
  // Something to see on each monitor: the renderer must hide both.
  const Area left = ShowColourWindow(x11, {200, 200, 300, 200}, kCyan, WindowKind::kNormal);
  // Some window managers keep a new window on the pointer's monitor.
  XTestFakeMotionEvent(x11.get(), -1, 1024 + 500, 400, CurrentTime);
  const Area right = ShowColourWindow(x11, {1024 + 300, 100, 400, 300}, kMagenta, WindowKind::kNormal);
  ASSERT_GE(right.x, 1024) << "a window on the second monitor";
  const Area second{1024, 0, 1024, 768};
  const std::vector<uint32_t> first_before = x11.Grab(0, 0, 1024, 768);
  const std::vector<uint32_t> second_before = GrabArea(x11, second);

  RendererRun renderer;
  ASSERT_TRUE(renderer.ok());
  renderer.Start();
  ASSERT_TRUE(x11.WaitForWindow("Oruna_VC", 20s));
  EXPECT_TRUE(WaitUntil([&] { return AllPixels(GrabArea(x11, second), 0x000000); }, 10s))
      << "the monitor the renderer does not draw on is black";
  EXPECT_TRUE(WaitUntil([&] { return NoPixel(GrabArea(x11, left), kCyan); }, 10s)) << "the scene covers its monitor";

  // The pointer over the black monitor stays hidden, and a click there
  // leaves Escape with the renderer.
  Click(x11.get(), 1024 + 500, 400);
  EXPECT_TRUE(CursorBlank(x11.get())) << "the pointer is hidden over the second monitor";
  EXPECT_FALSE(renderer.process().Wait(300ms).has_value()) << "a click does not end the renderer";
  x11.TapKey("Escape");
  ASSERT_EQ(renderer.process().Wait(5s), 0) << "Escape after a click on the other monitor ends the run";

  EXPECT_TRUE(WaitUntil([&] { return GrabArea(x11, second) == second_before; }, 5s)) << "second monitor as before";
  EXPECT_TRUE(WaitUntil([&] { return x11.Grab(0, 0, 1024, 768) == first_before; }, 5s)) << "first monitor as before";
}

INSTANTIATE_TEST_SUITE_P(Desktops, TwoMonitors, ::testing::Values("", "openbox"),
                         [](const auto& info) { return std::string(info.param).empty() ? "NoWindowManager" : info.param; });

// One window manager per case, each on its own Xvfb.
class UnderWindowManager : public ::testing::TestWithParam<const char*> {
 protected:
  void StartDesktop(const char* screen) {
    const std::string wm = GetParam();
    if (FindProgram(wm).empty()) GTEST_SKIP() << wm << " is not installed";
    xvfb_ = std::make_unique<XvfbServer>(screen);
    ASSERT_TRUE(xvfb_->ok());
    x11_ = std::make_unique<X11Connection>();
    ASSERT_TRUE(x11_->ok());
    wm_ = StartWindowManager(x11_->get(), wm);
    ASSERT_TRUE(wm_ != nullptr) << wm << " did not start";
  }
  Area ShowWindow(Area want, uint32_t rgb, WindowKind kind) { return ShowColourWindow(*x11_, want, rgb, kind); }
  void EndWithEscape() {
    x11_->TapKey("Escape");
    EXPECT_EQ(renderer_.process().Wait(5s), 0) << "Escape ends the run under the window manager";
  }

  std::unique_ptr<XvfbServer> xvfb_;
  std::unique_ptr<X11Connection> x11_;
  std::unique_ptr<ChildProcess> wm_;
  RendererRun renderer_;
};

TEST_P(UnderWindowManager, FullScreenCoversAlwaysOnTopWindowsAndDocks) {
  StartDesktop("1024x768x24");
  const Area above = ShowWindow({600, 150, 300, 200}, kMagenta, WindowKind::kAlwaysOnTop);
  const Area dock = ShowWindow({0, 728, 1024, 40}, kCyan, WindowKind::kDock);
  ASSERT_TRUE(renderer_.ok());
  renderer_.Start();
  ASSERT_TRUE(x11_->WaitForWindow("Oruna_VC", 20s));
  EXPECT_TRUE(WaitUntil([&] { return NoPixel(GrabArea(*x11_, above), kMagenta); }, 10s))
      << "the always-on-top window shows over the scene";
  EXPECT_TRUE(WaitUntil([&] { return NoPixel(GrabArea(*x11_, dock), kCyan); }, 10s))
      << "the dock shows over the scene";
  EndWithEscape();
}

TEST_P(UnderWindowManager, WindowedFallbackHasNoFrameAndNothingElseShows) {
  StartDesktop("1280x1024x24");
  // One always-on-top window over the renderer's corner and the rest of the
  // screen, one dock along the bottom outside the renderer's area.
  const Area above = ShowWindow({900, 600, 300, 300}, kMagenta, WindowKind::kAlwaysOnTop);
  const Area dock = ShowWindow({0, 984, 1280, 40}, kCyan, WindowKind::kDock);
  MapColourWindow(x11_->get(), 100, 100, 200, 200, kGreen, WindowKind::kNormal);
  ASSERT_TRUE(renderer_.ok());
  renderer_.Start();
  ASSERT_TRUE(x11_->WaitForWindow("Oruna_VC", 20s));
  const Window window = x11_->Find("Oruna_VC");
  int x = -1, y = -1;
  EXPECT_TRUE(WaitUntil([&] { return RootPosition(x11_->get(), window, x, y) && x == 0 && y == 0; }, 10s))
      << "the client area sits at the top-left corner, no frame or title above it (at " << x << "," << y << ")";
  const Area right{1024, 0, 256, 1024}, below{0, 768, 1024, 256};
  EXPECT_TRUE(WaitUntil([&] { return AllPixels(GrabArea(*x11_, right), 0) && AllPixels(GrabArea(*x11_, below), 0); }, 10s))
      << "the screen around the window is black";
  EXPECT_TRUE(WaitUntil([&] { return NoPixel(GrabArea(*x11_, above), kMagenta) && NoPixel(GrabArea(*x11_, dock), kCyan); }, 10s))
      << "nothing stays above the renderer";
  EXPECT_TRUE(NoPixel(x11_->Grab(0, 0, 1024, 768), kGreen)) << "the scene fills the window";
  EndWithEscape();
}

INSTANTIATE_TEST_SUITE_P(Managers, UnderWindowManager, ::testing::Values("openbox", "xfwm4"));

}  // namespace
}  // namespace oruna::test
