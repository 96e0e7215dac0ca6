// The real Oruna.dll on a 1280x1024 Xvfb screen that also offers 1024x768:
// the renderer switches the screen to 1024x768 with the cursor hidden and
// gives the desktop its mode back at the end. When the server refuses the
// change as the window is shown (with a failure, or with a success that
// leaves the mode as it was), the renderer carries on in a 1024x768 window
// at the top-left corner with the cursor shown, without and with a window
// manager, and leaves the mode alone.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <X11/Xatom.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "desktop_rig.h"
#include "renderer_e2e_support.h"
#include "screen_cursor_x11.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

const std::pair<int, int> kDesktopMode{1280, 1024};

class ModeChangeEndToEnd : public RendererOnScreenTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartScreen("1280x1024x24"));
    ASSERT_TRUE(OfferMode1024x768(x11_->get()));
  }

  // Starts the renderer and waits until its picture is shown. `refusal`:
  // empty for a server that sets the mode, else "fail" or "ignore".
  void StartAndShow(const std::string& refusal = "") {
    std::map<std::string, std::string> env;
    if (!refusal.empty()) {
      env["LD_PRELOAD"] = ORUNA_REFUSED_MODE_SHIM;
      env["ORUNA_MODE_REFUSAL"] = refusal;
      // The sanitizer runtime wants to be loaded first; the shim has no
      // instrumented code, so its place in the list does not matter.
      const char* asan = std::getenv("ASAN_OPTIONS");
      env["ASAN_OPTIONS"] = std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
    }
    RendererOnScreenTest::StartAndShow(env);
  }

  // Escape ends the run, and the desktop has its own mode.
  void EndWithEscape() {
    RendererOnScreenTest::EndWithEscape();
    EXPECT_EQ(ScreenSize(), kDesktopMode) << "the desktop's mode is restored";
  }

  std::pair<int, int> ScreenSize() { return RootSize(x11_->get()); }

  // The renderer window's inside: its place on the screen and its size.
  struct Placement {
    int x = -1, y = -1, width = 0, height = 0;
  };
  Placement WindowPlacement(Window window) {
    Placement p;
    Window child = 0;
    XTranslateCoordinates(x11_->get(), window, DefaultRootWindow(x11_->get()), 0, 0, &p.x, &p.y, &child);
    x11_->Size(window, p.width, p.height);
    return p;
  }

  // A window property of 32-bit items: the atoms of _NET_WM_STATE, the
  // frame's extents (left, right, top, bottom), the manager's check window.
  std::vector<long> WindowProperty(Window window, const char* name, Atom type) {
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(x11_->get(), window, XInternAtom(x11_->get(), name, False), 0, 64, False, type, &actual,
                           &format, &count, &after, &data) == Success && data != nullptr) {
      const long* longs = reinterpret_cast<const long*>(data);
      values.assign(longs, longs + count);
    }
    if (data != nullptr) XFree(data);
    return values;
  }

  std::unique_ptr<ChildProcess> window_manager_;
};

TEST_F(ModeChangeEndToEnd, TheOfferedModeIsSetAndTheDesktopModeComesBackAtTheEnd) {
  ASSERT_NO_FATAL_FAILURE(StartAndShow());
  EXPECT_EQ(ScreenSize(), std::make_pair(1024, 768));
  const Placement window = WindowPlacement(x11_->Find("Oruna_VC"));
  EXPECT_EQ(window.width, 1024);
  EXPECT_EQ(window.height, 768);
  EXPECT_TRUE(cursor_->AbsentFor(500ms)) << "the cursor is hidden in full screen";
  EndWithEscape();
  EXPECT_TRUE(cursor_->SeenWithin(3s));
}

// The saver ends its renderer with SIGTERM (also when the saver itself dies);
// a terminal closing sends SIGHUP, Ctrl+C SIGINT. Each is taken as a close
// request and leaves the desktop in its own mode.
TEST_F(ModeChangeEndToEnd, AnEndRequestedBySignalGivesTheDesktopModeBack) {
  for (int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(strsignal(signal_number));
    ASSERT_NO_FATAL_FAILURE(StartAndShow());
    ASSERT_EQ(ScreenSize(), std::make_pair(1024, 768));
    run_.process().Kill(signal_number);
    EXPECT_EQ(run_.process().Wait(5s), 0);
    EXPECT_EQ(ScreenSize(), kDesktopMode);
    EXPECT_TRUE(cursor_->SeenWithin(3s));
    ASSERT_TRUE(x11_->WaitForWindowGone("Oruna_VC", 5s));
  }
}

TEST_F(ModeChangeEndToEnd, AModeRefusedAsTheWindowIsShownLeavesAWindowWithTheCursorShown) {
  ASSERT_NO_FATAL_FAILURE(StartAndShow("fail"));
  EXPECT_EQ(ScreenSize(), kDesktopMode);
  const Placement window = WindowPlacement(x11_->Find("Oruna_VC"));
  EXPECT_EQ(window.x, 0);
  EXPECT_EQ(window.y, 0);
  EXPECT_EQ(window.width, 1024);
  EXPECT_EQ(window.height, 768);
  EXPECT_TRUE(cursor_->SeenWithin(2s)) << "the cursor stays shown in a window";
  EndWithEscape();
  EXPECT_TRUE(cursor_->SeenWithin(3s));
}

// A server that answers success but keeps its mode: taken at its word, the
// window would be made full screen at the desktop's 1280x1024 by the window
// manager, with the cursor hidden.
TEST_F(ModeChangeEndToEnd, AModeThatDidNotTakeLeavesAFramelessWindowAtTheTopLeftCorner) {
  if (FindProgram("openbox").empty()) GTEST_SKIP() << "openbox is not installed";
  window_manager_ = StartWindowManager(x11_->get(), "openbox");
  ASSERT_NE(window_manager_, nullptr);
  ASSERT_NO_FATAL_FAILURE(StartAndShow("ignore"));
  EXPECT_EQ(ScreenSize(), kDesktopMode);
  const Window id = x11_->Find("Oruna_VC");
  // The manager's answers to the fallback arrive a little after it.
  // No frame: the inside itself sits at the corner.
  Placement window;
  EXPECT_TRUE(WaitUntil([&] {
    window = WindowPlacement(id);
    return window.width == 1024 && window.height == 768 && window.x == 0 && window.y == 0;
  }, 5s)) << "inside " << window.width << "x" << window.height << " at " << window.x << "," << window.y;
  const Atom fullscreen = XInternAtom(x11_->get(), "_NET_WM_STATE_FULLSCREEN", False);
  for (long state : WindowProperty(id, "_NET_WM_STATE", XA_ATOM))
    EXPECT_NE(static_cast<Atom>(state), fullscreen) << "not full screen";
  EXPECT_TRUE(cursor_->SeenWithin(2s)) << "the cursor stays shown in a window";
  EndWithEscape();
}

}  // namespace
}  // namespace oruna::test
