// Oruna.scr as a screen-saver host's hack, end to end under a private Xvfb,
// inside top-level windows of the test's own that stand in for the host's.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "host_e2e_support.h"
#include "saver_e2e_fixture.h"
#include "screen_cursor_x11.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

constexpr uint32_t kHostBlue = 0x0000FF;

class HostWindowRun : public SaverEndToEndTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SaverEndToEndTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WatchRuns());
    Install("Oruna.dll", "Oruna.dll");
    env_["ORUNA_STANDIN_REPORT"] = temp_.path() + "/renderer-starts";
  }

  // A mapped top-level window in plain blue, as a host's window.
  Window MakeHost(int x, int y, int width, int height) {
    return MakeTestWindow(display_, x, y, width, height, kHostBlue);
  }

  // The run inside the host window `host_value` names, as a host starts it.
  std::unique_ptr<ChildProcess> StartSaver(const std::string& host_value) {
    return SaverEndToEndTest::StartSaver("/s", {{"XSCREENSAVER_WINDOW", host_value}});
  }

  // The sphere's centre shows the scene at `x`, `y` of the screen.
  bool SceneAt(int x, int y) {
    return WaitUntil([&] { return ShowsSphere(x11_->Grab(x, y, 1, 1).at(0)); }, kStartTimeout);
  }
};

TEST_F(HostWindowRun, TheSceneFillsTheHostWindowFollowsItsSizeAndEndsOnSigterm) {
  Display* d = display_;
  const Window host = MakeHost(100, 50, 640, 480);
  XSetInputFocus(d, host, RevertToParent, CurrentTime);
  char id[32];
  std::snprintf(id, sizeof id, "0x%lx", host);
  auto saver = StartSaver(id);

  // The renderer's window, found by its title, is a child covering the host.
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  const Window child = x11_->Find("Oruna_VC");
  EXPECT_EQ(ParentWindow(d, child), host);
  int width = 0, height = 0;
  ASSERT_TRUE(x11_->Size(child, width, height));
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);

  // The sphere where the camera puts it for this size, and no host blue left.
  const ScreenPoint sphere = SphereCentre(640, 480);
  EXPECT_TRUE(SceneAt(100 + sphere.x, 50 + sphere.y)) << sphere.x << "," << sphere.y;
  // The bottom-left corner looks past the sphere at the dark backdrop.
  EXPECT_TRUE(Dark(x11_->Grab(100, 50 + 479, 1, 1).at(0)));
  const std::vector<uint32_t> inside = x11_->Grab(100, 50, 640, 480);
  for (size_t i = 0; i < inside.size(); i += 97) ASSERT_NE(inside[i], kHostBlue) << "pixel " << i;

  // Pointer and keyboard stay the host's: nothing hides the cursor over the
  // scene and the focus is where the host put it.
  ScreenCursor cursor(d, xvfb_.framebuffer_file());
  EXPECT_TRUE(cursor.ShowPlainCursorAt(100 + 320, 50 + 240, 3s)) << "the cursor stays shown over the scene";
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  EXPECT_EQ(focus, host);

  // A larger host: the child and the view follow. The sphere's new centre
  // lies outside the old area, so an unfollowed child or view misses it.
  XMoveResizeWindow(d, host, 10, 10, 1000, 700);
  XSync(d, False);
  EXPECT_TRUE(WaitUntil([&] { return x11_->Size(child, width, height) && width == 1000 && height == 700; }, kStartTimeout));
  const ScreenPoint moved = SphereCentre(1000, 700);
  ASSERT_TRUE(moved.x >= 640 || moved.y >= 480);
  EXPECT_TRUE(SceneAt(10 + moved.x, 10 + moved.y)) << moved.x << "," << moved.y;

  // SIGTERM, the host's way to end its hack, ends everything.
  const auto sent = std::chrono::steady_clock::now();
  saver->Kill(SIGTERM);
  EXPECT_EQ(saver->Wait(kEndTimeout), 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, kEndTimeout));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - sent);
  std::printf("SIGTERM to no process left: %lld ms\n", static_cast<long long>(ms.count()));
  EXPECT_EQ(x11_->Find("Oruna_VC"), 0u);
}

// A host that cycles its hack sends SIGTERM and starts the next run at once,
// while the last one is still ending: every run shows the scene, and each
// leaves nothing behind.
TEST_F(HostWindowRun, CyclesStartingTheNextRunAtOnceEachShowTheScene) {
  const Window host = MakeHost(0, 0, 320, 240);
  char id[32];
  std::snprintf(id, sizeof id, "%lu", host);  // decimal works too
  const ScreenPoint sphere = SphereCentre(320, 240);
  std::unique_ptr<ChildProcess> last;
  for (int cycle = 0; cycle < 3; ++cycle) {
    if (last) last->Kill(SIGTERM);
    auto saver = StartSaver(id);
    if (last) {
      EXPECT_EQ(last->Wait(kEndTimeout), 0);
    }
    EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_, "Oruna.dll").size() == 1; }, kStartTimeout))
        << "cycle " << cycle;
    EXPECT_TRUE(saver->Running()) << "cycle " << cycle;
    EXPECT_TRUE(SceneAt(sphere.x, sphere.y)) << "cycle " << cycle;
    last = std::move(saver);
  }
  last->Kill(SIGTERM);
  EXPECT_EQ(last->Wait(kEndTimeout), 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, kEndTimeout));
}

// A host that runs one hack per monitor starts a run in each of its windows.
// The first keeps the music; the second, once it has waited for the first to
// end, shows the scene as a renderer alone, which takes the host's SIGTERM
// as a close request and ends cleanly.
TEST_F(HostWindowRun, ASecondHostWindowGetsARendererOfItsOwn) {
  const Window left = MakeHost(0, 0, 320, 240), right = MakeHost(400, 0, 320, 240);
  const ScreenPoint sphere = SphereCentre(320, 240);
  auto first = StartSaver(std::to_string(left));
  ASSERT_TRUE(SceneAt(sphere.x, sphere.y));
  auto second = StartSaver(std::to_string(right));
  EXPECT_TRUE(SceneAt(400 + sphere.x, sphere.y));
  EXPECT_EQ(ProcessesIn(program_dir_, "Oruna.scr").size(), 1u);
  EXPECT_EQ(ProcessesIn(program_dir_, "Oruna.dll").size(), 2u);
  second->Kill(SIGTERM);
  first->Kill(SIGTERM);
  EXPECT_EQ(second->Wait(kEndTimeout), 0);
  EXPECT_EQ(first->Wait(kEndTimeout), 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, kEndTimeout));
}

// A host running one hack per monitor starts them at the same instant: both
// runs find no other run, yet only one may keep the music and the texture
// files; the other becomes a renderer alone, as above.
TEST_F(HostWindowRun, TwoHostWindowsStartedAtOnceGetOneRunAndTwoPictures) {
  const Window left = MakeHost(0, 0, 320, 240), right = MakeHost(400, 0, 320, 240);
  const ScreenPoint sphere = SphereCentre(320, 240);
  auto first = StartSaver(std::to_string(left));
  auto second = StartSaver(std::to_string(right));
  EXPECT_TRUE(SceneAt(sphere.x, sphere.y));
  EXPECT_TRUE(SceneAt(400 + sphere.x, sphere.y));
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_, "Oruna.dll").size() == 2; }, kStartTimeout));
  EXPECT_EQ(ProcessesIn(program_dir_, "Oruna.scr").size(), 1u);
  second->Kill(SIGTERM);
  first->Kill(SIGTERM);
  EXPECT_EQ(second->Wait(kEndTimeout), 0);
  EXPECT_EQ(first->Wait(kEndTimeout), 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, kEndTimeout));
}

// The host's window gone: nothing is left to draw in, and the run ends.
TEST_F(HostWindowRun, TheHostWindowDestroyedEndsTheRun) {
  const Window host = MakeHost(0, 0, 320, 240);
  auto saver = StartSaver(std::to_string(host));
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  XDestroyWindow(display_, host);
  XSync(display_, False);
  EXPECT_EQ(saver->Wait(kEndTimeout), 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, kEndTimeout));
}

// An id that names no window ends the saver before it starts a renderer.
TEST_F(HostWindowRun, AnIdThatIsNoWindowEndsTheSaverAtOnce) {
  std::filesystem::remove(program_dir_ + "/Oruna.dll");
  ASSERT_TRUE(InstallPrograms(program_dir_, "renderer_standin"));  // reports each start
  const Window gone = MakeHost(0, 0, 64, 64);
  XDestroyWindow(display_, gone);
  XSync(display_, False);
  for (const std::string& value : std::vector<std::string>{std::to_string(gone), "0x7ffffff", "window", "0x0"}) {
    auto saver = StartSaver(value);
    EXPECT_EQ(saver->Wait(kEndTimeout), 0) << value;
    EXPECT_FALSE(FileExists(temp_.path() + "/renderer-starts")) << value;
    EXPECT_EQ(x11_->Find("Oruna_Main"), 0u) << value;
  }
}

}  // namespace
}  // namespace oruna::test
