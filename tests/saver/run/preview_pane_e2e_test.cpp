// Oruna.scr in a settings tool's preview pane, end to end under a private
// Xvfb: a top-level window of the test's own with a smaller child window as
// the pane, $XSCREENSAVER_WINDOW naming the pane, as the hosts' settings
// tools start the saver. The pane shows the scene while the MP3 configured
// stays silent (the music module is never loaded), and a real run started
// beside it, or before it, runs in full with its music.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "host_e2e_support.h"
#include "music_fixtures.h"
#include "saver_e2e_fixture.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

constexpr int kPaneX = 150, kPaneY = 100, kPaneWidth = 320, kPaneHeight = 240;

class PreviewPane : public SaverEndToEndTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SaverEndToEndTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WatchRuns());
    Install("Oruna.dll", "Oruna.dll");
    Install("Oruna.music.so", "Oruna.music.so");
    UseDiskAudio(temp_.path());
    env_["SDL_AUDIODRIVER"] = "disk";
    env_["SDL_DISKAUDIOFILE"] = temp_.path() + "/audio.raw";
    const std::string mp3 = temp_.path() + "/tone.mp3";
    ASSERT_TRUE(MakeTone(mp3, 2, 440));
    WriteSettings(2, 0, mp3);
    // The tool's window, grey, with its black pane inside.
    tool_ = MakeTestWindow(display_, 0, 0, 800, 600, 0x808080);
    pane_ = XCreateSimpleWindow(display_, tool_, kPaneX, kPaneY, kPaneWidth, kPaneHeight, 0, 0, 0);
    XMapWindow(display_, pane_);
    XSync(display_, False);
  }

  std::unique_ptr<ChildProcess> StartPreview(const std::string& extra_arguments = "") {
    char id[32];
    std::snprintf(id, sizeof id, "0x%lX", pane_);
    return SaverEndToEndTest::StartSaver("/s" + extra_arguments, {{"XSCREENSAVER_WINDOW", id}});
  }

  bool SceneInPane() {
    const ScreenPoint sphere = SphereCentre(kPaneWidth, kPaneHeight);
    return WaitUntil([&] { return ShowsSphere(x11_->Grab(kPaneX + sphere.x, kPaneY + sphere.y, 1, 1).at(0)); },
                     kStartTimeout);
  }

  static bool MapsMusicModule(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find("Oruna.music.so") != std::string::npos;
  }

  Window tool_ = 0, pane_ = 0;
};

TEST_F(PreviewPane, ShowsTheSceneSilentlyAndARealRunBesideItHasItsMusic) {
  // As MATE's tool starts it (nothing but /s) and as XScreenSaver's does.
  for (const std::string extra : {"", " --window-id"}) {
    char id[32];
    std::snprintf(id, sizeof id, " 0x%lx", pane_);
    auto preview = StartPreview(extra.empty() ? "" : extra + id);
    ASSERT_TRUE(SceneInPane()) << extra;
    SleepMs(1500);  // long enough for music to have started
    EXPECT_FALSE(MapsMusicModule(preview->pid())) << extra;
    EXPECT_EQ(DiskAudioSize(), 0u) << extra;
    // The preview leaves nothing another instance looks for.
    EXPECT_EQ(x11_->Find("Oruna_Main"), 0u) << extra;

    // A real run started now is not refused, nor made a renderer alone: it
    // plays its music, and the preview goes on beside it.
    auto run = StartSaver("/s");
    ASSERT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_, "Oruna.dll").size() == 2; }, kStartTimeout))
        << extra;
    EXPECT_TRUE(WaitUntil([&] { return DiskAudioPeakSince(0) > kTone; }, kStartTimeout)) << extra;
    EXPECT_TRUE(MapsMusicModule(run->pid())) << extra;
    EXPECT_EQ(ProcessesIn(program_dir_, "Oruna.scr").size(), 2u) << extra;

    // Each ends on its own: the run leaves the preview running.
    run->Kill(SIGTERM);
    EXPECT_EQ(run->Wait(kEndTimeout), 0) << extra;
    EXPECT_TRUE(preview->Running()) << extra;
    EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_, "Oruna.dll").size() == 1; }, kEndTimeout));
    EXPECT_FALSE(MapsMusicModule(preview->pid())) << extra;
    preview->Kill(SIGTERM);
    EXPECT_EQ(preview->Wait(kEndTimeout), 0) << extra;
    EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, kEndTimeout)) << extra;
    std::remove((temp_.path() + "/audio.raw").c_str());
  }
}

// The other way round: a preview opened while the saver runs shows the
// scene in its pane, and the running saver keeps its music; closing the
// tool (its pane destroyed) ends the preview and nothing else.
TEST_F(PreviewPane, APreviewOpenedDuringARunDoesNotDisturbIt) {
  auto run = StartSaver("/s");
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  ASSERT_TRUE(WaitUntil([&] { return DiskAudioPeakSince(0) > kTone; }, kStartTimeout));
  auto preview = StartPreview();
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_, "Oruna.dll").size() == 2; }, kStartTimeout));
  EXPECT_TRUE(preview->Running());
  EXPECT_FALSE(MapsMusicModule(preview->pid()));
  XDestroyWindow(display_, tool_);
  XSync(display_, False);
  EXPECT_EQ(preview->Wait(kEndTimeout), 0);
  EXPECT_TRUE(run->Running());
  const size_t mark = DiskAudioSize();
  EXPECT_TRUE(ToneSince(mark)) << "the run's music goes on";
  run->Kill(SIGTERM);
  EXPECT_EQ(run->Wait(kEndTimeout), 0);
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, kEndTimeout));
}

}  // namespace
}  // namespace oruna::test
