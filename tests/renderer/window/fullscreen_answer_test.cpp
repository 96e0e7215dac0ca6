// The renderer's stand-in answer to its full-screen request, on a private
// Xvfb without a window manager: the request is sent exactly as SDL and
// other clients send it to a window manager, and the window's size is read
// back from the server.
// clang-format off
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// clang-format on

#include "fullscreen_answer_x11.h"

#include <chrono>
#include <tuple>
#include <vector>
#include <utility>

#include "test_support.h"
#include "x11_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;

class FullscreenAnswer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb_.ok());
    x11_ = std::make_unique<test::X11Connection>();
    ASSERT_TRUE(x11_->ok());
    d_ = x11_->get();
    window_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1024, 768, 0, 0, 0);
    XSync(d_, False);
  }
  void TearDown() override { FinishFullscreenAnswer(); }

  std::pair<int, int> ServerSize(Window w) {
    int width = 0, height = 0;
    x11_->Size(w, width, height);
    return {width, height};
  }

  // True once the window has `size`, false if it still has not after 2 s.
  bool WaitForSize(std::pair<int, int> size) {
    return test::WaitUntil([&] { return ServerSize(window_) == size; }, 2s);
  }

  // A _NET_WM_STATE request to the root window, as the standard has it.
  void SendStateRequest(Window w, long action, const char* state) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(d_, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = action;
    e.xclient.data.l[1] = static_cast<long>(XInternAtom(d_, state, False));
    XSendEvent(d_, DefaultRootWindow(d_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XSync(d_, False);
  }

  void Start() { StartFullscreenAnswer(xvfb_.display().c_str(), window_, 1024, 768); }

  test::XvfbServer xvfb_;
  std::unique_ptr<test::X11Connection> x11_;
  Display* d_ = nullptr;
  Window window_ = None;
};

constexpr long kRemove = 0, kAdd = 1;

TEST_F(FullscreenAnswer, TheRequestIsAnsweredWithTheFullSizeWhileTheWindowIsShown) {
  Start();
  // One row short until the answer, so that the answer is a change.
  EXPECT_EQ(ServerSize(window_), std::make_pair(1024, 767));
  XMapWindow(d_, window_);
  SendStateRequest(window_, kAdd, "_NET_WM_STATE_FULLSCREEN");
  EXPECT_TRUE(WaitForSize({1024, 768})) << "answered before the stand-in is finished";
}

TEST_F(FullscreenAnswer, OtherRequestsGoUnansweredAndTheFullSizeComesAtTheFinish) {
  Start();
  XMapWindow(d_, window_);
  const Window other = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 10, 10, 0, 0, 0);
  SendStateRequest(other, kAdd, "_NET_WM_STATE_FULLSCREEN");
  SendStateRequest(window_, kRemove, "_NET_WM_STATE_FULLSCREEN");
  SendStateRequest(window_, kAdd, "_NET_WM_STATE_ABOVE");
  EXPECT_FALSE(WaitForSize({1024, 768}));
  EXPECT_EQ(ServerSize(other), std::make_pair(10, 10));
  // A refused mode change sends no request: the window still ends whole.
  FinishFullscreenAnswer();
  EXPECT_EQ(ServerSize(window_), std::make_pair(1024, 768));
}

TEST_F(FullscreenAnswer, AWindowManagerIsLeftToAnswerItself) {
  // A window manager announces itself with a window named on the root.
  const Window check = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
  XChangeProperty(d_, DefaultRootWindow(d_), XInternAtom(d_, "_NET_SUPPORTING_WM_CHECK", False), XA_WINDOW, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&check), 1);
  const Window stays = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1024, 700, 0, 0, 0);
  XSync(d_, False);
  StartFullscreenAnswer(xvfb_.display().c_str(), stays, 1024, 768);
  EXPECT_EQ(ServerSize(stays), std::make_pair(1024, 700));
  XMapWindow(d_, stays);
  SendStateRequest(stays, kAdd, "_NET_WM_STATE_FULLSCREEN");
  FinishFullscreenAnswer();
  EXPECT_EQ(ServerSize(stays), std::make_pair(1024, 700));
}

// Reading a window manager's output-sized answer (weston under XWayland):
// the state, the emulated mode and the window's area are set here by hand
// on a 1024x768 Xvfb, whose one monitor is the whole screen.
class OutputSizedAnswer : public FullscreenAnswer {
 protected:
  void SetLongs(const char* name, Atom type, const std::vector<long>& values) {
    XChangeProperty(d_, window_, XInternAtom(d_, name, False), type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
    XSync(d_, False);
  }
  void SetFullscreenState() {
    SetLongs("_NET_WM_STATE", XA_ATOM, {static_cast<long>(XInternAtom(d_, "_NET_WM_STATE_FULLSCREEN", False))});
  }
  void SetEmulatedMode(long width, long height) {
    SetLongs("_XWAYLAND_RANDR_EMU_MONITOR_RECTS", XA_CARDINAL, {0, 0, width, height});
  }
};

TEST_F(OutputSizedAnswer, CountsOnlyAFullScreenWindowOverItsWholeOutputInAnEmulatedMode) {
  XMapWindow(d_, window_);
  XSync(d_, False);
  int x = -1, y = -1, w = 0, h = 0;
  ASSERT_TRUE(WindowAreaOnRoot(d_, window_, x, y, w, h));
  EXPECT_EQ(std::make_tuple(x, y, w, h), std::make_tuple(0, 0, 1024, 768));

  // A real server that kept its mode: the manager's stretch is a refusal.
  SetFullscreenState();
  EXPECT_FALSE(OutputSizedFullscreen(d_, window_, 800, 600));
  // The server emulates 800x600 for the renderer, the manager made it full
  // screen at the output's size: full screen.
  SetEmulatedMode(800, 600);
  EXPECT_TRUE(OutputSizedFullscreen(d_, window_, 800, 600));
  // Emulated for another size than the one asked for.
  EXPECT_FALSE(OutputSizedFullscreen(d_, window_, 640, 480));
  // Not over the whole output: moved off its origin, or smaller.
  XMoveWindow(d_, window_, 10, 0);
  XSync(d_, False);
  EXPECT_FALSE(OutputSizedFullscreen(d_, window_, 800, 600));
  XMoveResizeWindow(d_, window_, 0, 0, 1000, 768);
  XSync(d_, False);
  EXPECT_FALSE(OutputSizedFullscreen(d_, window_, 800, 600));
  XResizeWindow(d_, window_, 1024, 768);
  XSync(d_, False);
  EXPECT_TRUE(OutputSizedFullscreen(d_, window_, 800, 600));
  // Without the manager's full-screen state (it made a normal window big).
  SetLongs("_NET_WM_STATE", XA_ATOM, {});
  EXPECT_FALSE(OutputSizedFullscreen(d_, window_, 800, 600));
}

}  // namespace
}  // namespace oruna
