// Oruna.scr /s with the real renderer under a private Xvfb, while the world
// around it fails: the sound device gives up in the middle of the run (SDL's
// disk audio driver stops at the saver's file-size limit), the disc image
// of the emulated CD drive is taken away, the renderer dies without its
// teardown, and the X server itself goes away. The picture must go on where
// it can, the music goes quiet, the desktop keeps its own display mode, and
// nothing may hang: the run still ends on Escape, or with the display.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "music_fixtures.h"
#include "saver_e2e_fixture.h"
#include "test_support.h"
#include "window_search_x11.h"
#include "x11_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::kEndTimeout;
using test::kStartTimeout;
using test::kSilence;
using test::kTone;

class OutsideFaults : public test::SaverEndToEndTest {
 protected:
  explicit OutsideFaults(const std::string& screen = "1024x768x24") : SaverEndToEndTest(screen) {}

  // The run with the real renderer and its sound on the disk driver.
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SaverEndToEndTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WatchRuns());
    Install("Oruna.dll", "Oruna.dll");
    Install("Oruna.music.so", "Oruna.music.so");  // the music is loaded from beside the program
    test::UseDiskAudio(temp_.path());
    env_["LC_ALL"] = "C.UTF-8";
    env_["SDL_AUDIODRIVER"] = "disk";
    env_["SDL_DISKAUDIOFILE"] = temp_.path() + "/audio.raw";
  }

  // Waits for the renderer's window and remembers the renderer process.
  bool RunIsOnScreen(ChildProcess& saver) {
    if (!WaitForWindow("Oruna_VC")) return false;
    renderer_ = RendererOf(saver);
    return renderer_ > 0;
  }

  // Running, not a zombie waiting for the saver to reap it.
  bool RendererAlive() {
    std::string line;
    std::getline(std::ifstream("/proc/" + std::to_string(renderer_) + "/stat"), line);
    const size_t close = line.rfind(')');
    return renderer_ > 0 && close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
  }

  bool RendererEnds() { return test::ProcessEnds(renderer_, kEndTimeout); }

  // The renderer's picture goes on: its window is mapped and the renderer
  // answers the X server (a window property read needs a round trip).
  bool PictureGoesOn() { return RendererAlive() && RendererShown(); }

  // The run goes on with its picture and still ends, renderer and all, on Escape.
  void ExpectThePictureGoesOnUntilEscape(ChildProcess& saver) {
    EXPECT_TRUE(saver.Running());
    EXPECT_TRUE(PictureGoesOn());
    PressEscape();
    EXPECT_EQ(saver.Wait(kEndTimeout), 0);
    EXPECT_TRUE(RendererEnds());
  }

  size_t AudioBytes() { return test::DiskAudioSize(); }

  pid_t renderer_ = -1;
};

// A 1280x1024 desktop that also offers 1024x768: the renderer changes the
// display mode for its run.
class RendererDeath : public OutsideFaults {
 protected:
  RendererDeath() : OutsideFaults("1280x1024x24") {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OutsideFaults::SetUp());
    ASSERT_TRUE(test::OfferMode1024x768(display_));
  }
};

TEST_F(OutsideFaults, ASoundDeviceLostMidRunLeavesThePictureAndEndsOnEscape) {
  const std::string mp3 = temp_.path() + "/tone.mp3";
  ASSERT_TRUE(test::MakeTone(mp3, 2, 440));
  WriteSettings(2, 0, mp3);
  // About 3 s of sound, then the device fails; the largest texture is far smaller.
  constexpr rlim_t kLimit = 512 * 1024;
  file_size_limit_ = kLimit;
  auto saver = StartSaver("/s");
  ASSERT_TRUE(RunIsOnScreen(*saver));
  ASSERT_TRUE(test::WaitUntil([&] { return test::DiskAudioPeakSince(0) > kTone; }, kStartTimeout));
  ASSERT_TRUE(test::WaitUntil([&] { return AudioBytes() >= kLimit; }, kStartTimeout));
  test::SleepMs(1000);  // the MP3 ends meanwhile and the music loop starts it again
  EXPECT_EQ(AudioBytes(), kLimit);  // nothing more reached the device
  ExpectThePictureGoesOnUntilEscape(*saver);
}

TEST_F(OutsideFaults, ACdImageTakenAwayMidRunSilencesTheMusicAndEndsOnEscape) {
  const std::string cue = test::WriteToneDisc(temp_.path(), {75, 75, 75});  // 1 s a track
  WriteSettings(1, 2, "");
  auto saver = StartSaver("/s", {{"ORUNA_CD_IMAGE", cue}});
  ASSERT_TRUE(RunIsOnScreen(*saver));
  ASSERT_TRUE(test::WaitUntil([&] { return test::DiskAudioPeakSince(0) > kTone; }, kStartTimeout));
  ASSERT_EQ(std::remove(cue.c_str()), 0);
  ASSERT_EQ(std::remove((temp_.path() + "/disc.bin").c_str()), 0);
  test::SleepMs(2500);  // the next polls find the drive empty; the read-ahead plays out
  const size_t mark = AudioBytes();
  test::SleepMs(500);
  EXPECT_GT(AudioBytes(), mark);  // the output runs on, with silence
  EXPECT_LT(test::DiskAudioPeakSince(mark), kSilence);
  ExpectThePictureGoesOnUntilEscape(*saver);
}

// A renderer killed (by the kernel's out-of-memory killer, say), or hung and
// ended by force when the saver is told to end, has had no teardown, and the
// X server would keep its 1024x768 mode: the saver gives the desktop its own
// mode back as the run ends.
TEST_F(RendererDeath, ARendererEndedWithoutItsTeardownLeavesTheDesktopInItsOwnMode) {
  for (const bool hung : {false, true}) {
    SCOPED_TRACE(hung ? "hung, saver told to end" : "killed");
    auto saver = StartSaver("/s");
    ASSERT_TRUE(RunIsOnScreen(*saver));
    ASSERT_TRUE(test::WaitUntil([&] { return test::RootSize(display_) == std::make_pair(1024, 768); },
                                kStartTimeout));
    if (hung) {
      kill(renderer_, SIGSTOP);  // deaf to the saver's request to end
      saver->Kill(SIGTERM);
    } else {
      kill(renderer_, SIGKILL);
    }
    EXPECT_EQ(saver->Wait(kEndTimeout), 0);
    EXPECT_TRUE(RendererEnds());
    renderer_ = -1;
    EXPECT_EQ(test::RootSize(display_), std::make_pair(1280, 1024));
  }
}

// With the display gone neither program has anything left to do: both end,
// whatever their exit status, and none waits for an X server that is gone.
TEST_F(OutsideFaults, TheXServerGoingAwayEndsBothPrograms) {
  const std::string mp3 = temp_.path() + "/tone.mp3";
  ASSERT_TRUE(test::MakeTone(mp3, 2, 440));
  WriteSettings(2, 0, mp3);
  auto saver = StartSaver("/s");
  ASSERT_TRUE(RunIsOnScreen(*saver));
  ASSERT_TRUE(test::WaitUntil([&] { return test::DiskAudioPeakSince(0) > kTone; }, kStartTimeout));
  x11_.reset();
  display_ = nullptr;
  xvfb_.Kill();
  EXPECT_TRUE(saver->Wait(kEndTimeout).has_value());
  EXPECT_TRUE(RendererEnds());
}

}  // namespace
}  // namespace oruna
