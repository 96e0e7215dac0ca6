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

}  // namespace
}  // namespace oruna
