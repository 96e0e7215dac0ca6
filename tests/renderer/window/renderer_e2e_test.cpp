// The real Oruna.dll on a private Xvfb: its window is found by title from
// another process, Escape and close requests end it with exit code 0, and a
// start without any bitmap ends at once.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "renderer_e2e_support.h"
#include "screen_cursor_x11.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

// Processes other than this one whose environment holds `entry` exactly.
std::vector<std::string> ProcessesWithEnvironment(const std::string& entry) {
  std::vector<std::string> found;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return found;
  const std::string self = std::to_string(getpid());
  while (dirent* e = readdir(proc)) {
    const std::string pid = e->d_name;
    if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    std::ifstream in("/proc/" + pid + "/environ", std::ios::binary);
    const std::string environment((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (("\0" + environment).find("\0" + entry + "\0") != std::string::npos) found.push_back(pid);
  }
  closedir(proc);
  return found;
}

class RendererEndToEnd : public RendererOnScreenTest, public ::testing::WithParamInterface<const char*> {
 protected:
  RendererEndToEnd() : RendererOnScreenTest(/*with_textures=*/false) {}
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(StartScreen(GetParam())); }
  // Started as in a session without a message bus, where a bus library
  // would launch a bus of its own.
  ChildProcess& Start() { return run_.Start({{"DBUS_SESSION_BUS_ADDRESS", ""}}); }
};

// Without an X display there is nobody to see the picture or to press
// Escape: the renderer must end at once rather than draw somewhere else, and
// say why in one line, for a display that is not there and for none at all.
TEST(RendererWithoutDisplay, EndsAtOnceSayingWhyInOneLine) {
  TempDir runtime;
  ASSERT_TRUE(WriteTextures(runtime.path()));
  const std::string errors = runtime.path() + "/stderr";
  // The shell unsets DISPLAY when it is empty and catches what the renderer
  // writes to stderr.
  const std::string script = "[ -n \"$DISPLAY\" ] || unset DISPLAY; exec \"$0\" 2>\"$1\"";
  const std::pair<const char*, const char*> cases[] = {
      {":-1", "Oruna.dll: cannot open the X display \":-1\"\n"},
      {"", "Oruna.dll: cannot open the X display: DISPLAY is not set\n"},
  };
  for (const auto& [display, line] : cases) {
    ChildProcess renderer({"/bin/sh", "-c", script, BinaryDir() + "/Oruna.dll", errors},
                          {{"DISPLAY", display}, {"WAYLAND_DISPLAY", ""}, {"XDG_RUNTIME_DIR", runtime.path()}});
    EXPECT_EQ(renderer.Wait(10s), 0) << display;
    EXPECT_EQ(ReadText(errors), line);
  }
}

TEST_P(RendererEndToEnd, EscapeEndsItWithExitCodeZeroAndOtherKeysDoNot) {
  ASSERT_TRUE(run_.WriteAllTextures());
  // The size is read once the picture shows: until the window is shown in
  // full screen it may still have the size it was created with.
  ASSERT_NO_FATAL_FAILURE(StartAndShow({{"DBUS_SESSION_BUS_ADDRESS", ""}}));
  int width = 0, height = 0;
  ASSERT_TRUE(x11_->Size(x11_->Find("Oruna_VC"), width, height));
  EXPECT_EQ(width, 1024);
  EXPECT_EQ(height, 768);
  // Full screen hides the cursor over the picture; the windowed fallback
  // leaves it shown. The frame buffer shows which.
  const bool fullscreen_screen = std::string(GetParam()) == "1024x768x24";
  if (fullscreen_screen) {
    EXPECT_TRUE(cursor_->AbsentFor(500ms)) << "the cursor is hidden in full screen";
  } else {
    EXPECT_TRUE(cursor_->SeenWithin(2s)) << "the cursor stays shown in a window";
  }
  x11_->TapKey("a");
  x11_->TapKey("space");
  EXPECT_FALSE(run_.process().Wait(500ms).has_value()) << "only Escape ends the renderer";
  EndWithEscape();
  EXPECT_TRUE(cursor_->SeenWithin(3s)) << "the cursor is shown again at the end";
}

// Nothing the renderer started (a message bus daemon, for one) outlives it.
TEST_P(RendererEndToEnd, CloseRequestEndsItWithExitCodeZeroAndNothingLeftRunning) {
  ASSERT_TRUE(run_.WriteAllTextures());
  ChildProcess& renderer = Start();
  ASSERT_TRUE(x11_->WaitForWindow("Oruna_VC", 20s));
  SleepMs(200);
  x11_->RequestClose(x11_->Find("Oruna_VC"));
  EXPECT_EQ(renderer.Wait(5s), 0);
  EXPECT_EQ(x11_->Find("Oruna_VC"), None);
  // The run's own runtime folder marks whatever the renderer started.
  EXPECT_EQ(ProcessesWithEnvironment("XDG_RUNTIME_DIR=" + run_.runtime()), std::vector<std::string>{});
}

TEST_P(RendererEndToEnd, WithoutAnyBitmapItEndsAtOnceWithZero) {
  EXPECT_EQ(Start().Wait(10s), 0);
  EXPECT_EQ(x11_->Find("Oruna_VC"), None);
}

// 1024x768 takes the full-screen path; a 1280x1024 screen offers no such
// mode, so the renderer falls back to a 1024x768 window without a word.
INSTANTIATE_TEST_SUITE_P(Screens, RendererEndToEnd, ::testing::Values("1024x768x24", "1280x1024x24"));

}  // namespace
}  // namespace oruna::test
