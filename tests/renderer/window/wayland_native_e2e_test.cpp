// The real Oruna.scr /s natively on Wayland desktops without XWayland:
// headless sway 1.7 and weston 10, one 1280x800 output painted in colours
// the scene never shows. The renderer's full-screen surface covers the whole
// output at its size, a second output (sway's create_output) is black, the
// run ends on Escape (a virtual keyboard), and the single-instance rule
// holds through the session markers. Headless weston has no input seat,
// which SDL cannot start on: there the run ends at once and says why; weston
// with a seat (its X11 back end in a private Xvfb) shows the scene.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <iostream>

#include "test_support.h"
#include "wayland_session.h"

namespace oruna::test {
namespace {

using namespace std::chrono;
using namespace std::chrono_literals;

constexpr int kWidth = 1280, kHeight = 800;

bool AllBlack(const Screenshot& shot, int x0) {
  if (shot.width < x0 + kWidth || shot.height < kHeight) return false;
  for (int y = 0; y < kHeight; y += 2)
    for (int x = x0; x < x0 + kWidth; x += 2)
      if (shot.At(x, y) != 0) return false;
  return true;
}

class WaylandNativeRun : public ::testing::Test {
 protected:
  void Start(Compositor compositor, bool input_seat = false) {
    session_ = std::make_unique<WaylandSession>(
        WaylandSessionOptions{compositor, kWidth, kHeight, false, "", input_seat});
    if (!session_->ok() && session_->why_not().find("not installed") != std::string::npos)
      GTEST_SKIP() << session_->why_not();
    ASSERT_TRUE(session_->ok()) << session_->why_not();
    ASSERT_TRUE(session_->x_display().empty());
    programs_ = session_->CopyPrograms({BinaryDir() + "/Oruna.scr", BinaryDir() + "/Oruna.dll",
                                        BinaryDir() + "/Oruna.settings.so"});
    ASSERT_FALSE(programs_.empty());
  }
  void TearDown() override {
    if (!programs_.empty()) EndAll(programs_);
  }

  std::unique_ptr<ChildProcess> Saver(const std::string& argument) {
    return session_->StartClient({programs_ + "/Oruna.scr", argument});
  }
  std::optional<int> SaverToItsEnd(const std::string& argument) {
    return session_->RunClient({programs_ + "/Oruna.scr", argument}, 5s);
  }
  // sway's IPC socket, which swaymsg finds only through $SWAYSOCK.
  std::optional<int> SwayMsg(const std::vector<std::string>& arguments) {
    std::string socket;
    for (const auto& entry : std::filesystem::directory_iterator(session_->runtime_dir()))
      if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) socket = entry.path();
    std::vector<std::string> argv = {"env", "SWAYSOCK=" + socket, "swaymsg"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return session_->RunClient(argv, 5s);
  }
  bool WaitForScene(std::optional<Screenshot>& shot) {
    return WaitUntil(
        [&] { return (shot = session_->TakeScreenshot()) && SceneFillsOutput(*shot, kWidth, kHeight); }, 20s);
  }
  bool NothingLeft() { return WaitUntil([&] { return ProcessesIn(programs_).empty(); }, 5s); }

  std::unique_ptr<WaylandSession> session_;
  std::string programs_;
};

TEST_F(WaylandNativeRun, SwayTheSceneCoversItsOutputASecondOneIsBlackAndEscapeEndsBoth) {
  Start(Compositor::kSway);
  ASSERT_EQ(SwayMsg({"create_output"}), 0);
  std::optional<Screenshot> shot;
  ASSERT_TRUE(WaitUntil([&] { return (shot = session_->TakeScreenshot()) && shot->width >= 2 * kWidth; }, 10s));
  EXPECT_GT(CountPixels(*shot, kDesktopBackground), 0u) << "the desktop shows before the run";

  const auto start = steady_clock::now();
  std::unique_ptr<ChildProcess> saver = Saver("/s");
  EXPECT_TRUE(WaitForScene(shot)) << (shot ? Describe(*shot) : "no screenshot");
  const auto shown = steady_clock::now();
  EXPECT_TRUE(WaitUntil([&] { return (shot = session_->TakeScreenshot()) && AllBlack(*shot, kWidth); }, 5s))
      << "the second output is black: " << (shot ? Describe(*shot) : "no screenshot");

  // One run and no dialog at a time: both end at once, the run goes on.
  EXPECT_EQ(SaverToItsEnd("/s"), 0);
  EXPECT_EQ(SaverToItsEnd("/c"), 0);
  EXPECT_EQ(ProcessesIn(programs_, "Oruna.scr").size(), 1u);
  ASSERT_TRUE((shot = session_->TakeScreenshot()).has_value());
  EXPECT_TRUE(SceneFillsOutput(*shot, kWidth, kHeight)) << Describe(*shot);

  const auto escape = steady_clock::now();
  ASSERT_TRUE(session_->PressKey("Escape", "Oruna_VC"));
  EXPECT_EQ(saver->Wait(10s), 0) << "Escape ends the saver";
  const auto ended = steady_clock::now();
  EXPECT_TRUE(NothingLeft()) << "no renderer is left";
  EXPECT_TRUE(WaitUntil([&] {
    return (shot = session_->TakeScreenshot()) && CountPixels(*shot, kDesktopBackground) > 0 &&
           !AllBlack(*shot, kWidth);
  }, 5s)) << "the desktop is back on both outputs";
  std::cout << "sway, native: whole output shown after " << duration_cast<milliseconds>(shown - start).count()
            << " ms, ended " << duration_cast<milliseconds>(ended - escape).count() << " ms after Escape\n";
  EXPECT_TRUE(session_->End());
}

TEST_F(WaylandNativeRun, SwayARunDuringTheSettingsDialogIsRefused) {
  Start(Compositor::kSway);
  std::unique_ptr<ChildProcess> dialog = Saver("/c");
  std::optional<Screenshot> shot;
  // The dialog is up once the desktop is partly hidden by it.
  ASSERT_TRUE(WaitUntil([&] {
    return (shot = session_->TakeScreenshot()) && shot->At(kWidth / 2, kHeight / 2) != kDesktopBackground;
  }, 20s));
  EXPECT_TRUE(dialog->Running());
  EXPECT_EQ(SaverToItsEnd("/s"), 0);
  EXPECT_TRUE(ProcessesIn(programs_, "Oruna.dll").empty()) << "no renderer was started";
  dialog->Kill(SIGTERM);
  dialog->Wait(5s);
  EXPECT_TRUE(NothingLeft());
}

// A close request from the compositor (sway's kill, as a user's key binding
// sends it) ends the renderer as Escape does, and the run with it.
TEST_F(WaylandNativeRun, SwayACloseRequestEndsTheRun) {
  Start(Compositor::kSway);
  std::unique_ptr<ChildProcess> saver = Saver("/s");
  std::optional<Screenshot> shot;
  ASSERT_TRUE(WaitForScene(shot)) << (shot ? Describe(*shot) : "no screenshot");
  EXPECT_EQ(SwayMsg({"[title=\"^Oruna_VC$\"] kill"}), 0);
  EXPECT_EQ(saver->Wait(10s), 0);
  EXPECT_TRUE(NothingLeft());
}

// Headless weston offers no input seat at all, and SDL 2.26's Wayland driver
// crashes starting up on such a compositor: the renderer asks first, says
// why on its error output, and the run ends at once with nothing left,
// rather than crashing.
TEST_F(WaylandNativeRun, WestonWithoutAnInputSeatTheRunSaysWhyAndEndsAtOnce) {
  Start(Compositor::kWeston);
  const std::string errors = session_->home() + "/errors";
  std::unique_ptr<ChildProcess> saver = session_->StartClient(
      {"/bin/sh", "-c", "exec \"$0\" /s 2>\"$1\"", programs_ + "/Oruna.scr", errors});
  EXPECT_EQ(saver->Wait(10s), 0);
  EXPECT_TRUE(NothingLeft());
  const std::vector<uint8_t> said = ReadFileBytes(errors);
  EXPECT_NE(std::string(said.begin(), said.end()).find("offers no input seat"), std::string::npos);
  EXPECT_TRUE(session_->End());
}

// weston 10 with an input seat and no XWayland: the renderer's surface
// covers the whole output at its size (weston's own panel under it), and
// Escape from the seat's keyboard ends both programs.
TEST_F(WaylandNativeRun, WestonTheSceneCoversItsOutputAndEscapeEndsBoth) {
  Start(Compositor::kWeston, /*input_seat=*/true);
  std::unique_ptr<ChildProcess> saver = Saver("/s");
  std::optional<Screenshot> shot;
  EXPECT_TRUE(WaitForScene(shot)) << (shot ? Describe(*shot) : "no screenshot");
  ASSERT_TRUE(session_->PressKey("Escape", "Oruna_VC"));
  EXPECT_EQ(saver->Wait(10s), 0) << "Escape ends the saver";
  EXPECT_TRUE(NothingLeft()) << "no renderer is left";
  EXPECT_TRUE(WaitUntil([&] {
    return (shot = session_->TakeScreenshot()) && CountPixels(*shot, kDesktopBackground) > 0;
  }, 5s)) << "the desktop is back";
  EXPECT_TRUE(session_->End());
}

}  // namespace
}  // namespace oruna::test
