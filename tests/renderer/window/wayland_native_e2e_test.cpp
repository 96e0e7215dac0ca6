// The real Oruna.scr /s natively on Wayland desktops without XWayland:
// headless sway 1.7 and weston 10, one 1280x800 output painted in colours
// the scene never shows. The renderer's full-screen surface covers the whole
// output at its size, a second output (sway's create_output) is black, the
// run ends on Escape (a virtual keyboard), and the single-instance rule
// holds through the session markers. Headless weston has no input seat,
// which SDL cannot start on: there the run ends at once and says why; weston
// with a seat (its X11 back end in a private Xvfb) shows the scene, and the
// settings dialog's button follows that seat's pointer.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

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

// The highlighted button's orange-to-yellow rim, which nothing else on the
// dialog or the desktop shows.
size_t GlowPixels(const Screenshot& shot) {
  return static_cast<size_t>(std::count_if(shot.pixels.begin(), shot.pixels.end(), [](uint32_t rgb) {
    const uint32_t r = rgb >> 16 & 0xff, g = rgb >> 8 & 0xff, b = rgb & 0xff;
    return r > 200 && g > 110 && g < 215 && b < 140;
  }));
}

struct Area {
  int left = 0, top = 0, right = -1, bottom = -1;
  bool operator==(const Area&) const = default;
};

// The box around every pixel below the panel that is neither the desktop's
// green nor a shadow over it (dark, with little red and blue).
Area DialogArea(const Screenshot& shot) {
  Area area{shot.width, shot.height, -1, -1};
  for (int y = 40; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const uint32_t rgb = shot.At(x, y);
      if ((rgb >> 16 & 0xff) < 48 && (rgb & 0xff) < 48) continue;
      area = {std::min(area.left, x), std::min(area.top, y), std::max(area.right, x), std::max(area.bottom, y)};
    }
  return area;
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

// The settings dialog on GTK's Wayland backend: its button lights up while
// the seat's pointer is over it, goes back when the pointer moves to the
// dialog's own surface or off every surface of ours, and lights again on the
// next visit: driven by the pointer's enter and motion over our surface and
// by the poll's answer of which of our windows is under it.
TEST_F(WaylandNativeRun, WestonTheDialogsButtonLightsUnderThePointerEachTimeAndNotAfterItLeaves) {
  Start(Compositor::kWeston, /*input_seat=*/true);
  std::unique_ptr<ChildProcess> dialog = Saver("/c");
  std::optional<Screenshot> shot;
  Area area, last;
  // Drawn once two screenshots in a row show the same dialog.
  ASSERT_TRUE(WaitUntil([&] {
    last = area;
    if (!(shot = session_->TakeScreenshot())) return false;
    area = DialogArea(*shot);
    return area == last && area.right - area.left > 300;
  }, 20s)) << "no dialog";
  EXPECT_EQ(GlowPixels(*shot), 0u);
  // Moves the pointer to (x, y) until the screenshots agree with `lit`, and
  // they must still agree after the pointer has rested there for several of
  // the button's 100 ms polls. The pointer goes a pixel to and fro, as a
  // hand's does: a dialog just drawn may not take input yet.
  auto LitAt = [&](int x, int y, bool lit) {
    int step = 0;
    auto agrees = [&] { return (shot = session_->TakeScreenshot()) && (GlowPixels(*shot) > 20) == lit; };
    if (!WaitUntil([&] { return session_->MovePointer(x + (step++ % 2), y) && agrees(); }, 15s)) return false;
    std::this_thread::sleep_for(500ms);
    return agrees();
  };
  // The first of the two buttons at the bottom right ("設定"), a point of the
  // dialog's own surface beside its controls, and a point off the dialog.
  const int button_x = area.right - 133, button_y = area.bottom - 34;
  const int dialog_x = area.left + 20, dialog_y = (area.top + area.bottom) / 2;
  const std::string where = " of the dialog at " + std::to_string(area.left) + "," + std::to_string(area.top) +
                            "-" + std::to_string(area.right) + "," + std::to_string(area.bottom);
  for (int visit = 1; visit <= 2; ++visit) {
    EXPECT_TRUE(LitAt(button_x, button_y, true)) << "visit " << visit << ": the button does not light at "
                                                 << button_x << "," << button_y << where;
    EXPECT_TRUE(LitAt(dialog_x, dialog_y, false)) << "visit " << visit << ": the button stays lit with the "
                                                  << "pointer on the dialog at " << dialog_x << "," << dialog_y;
  }
  EXPECT_TRUE(LitAt(button_x, button_y, true)) << "visit 3: the button does not light";
  EXPECT_TRUE(LitAt(kWidth - 10, kHeight - 10, false)) << "the button stays lit after the pointer left the dialog";
  dialog->Kill(SIGTERM);
  EXPECT_TRUE(dialog->Wait(5s).has_value());
  EXPECT_TRUE(NothingLeft());
  EXPECT_TRUE(session_->End());
}

}  // namespace
}  // namespace oruna::test
