// The hidden run form's window: never mapped, found by its title through
// either title property, and ending the run only on a close request.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <poll.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "run_window_x11.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna {
namespace {

// The text of a string property of `window`, read back from the server.
std::string StringProperty(Display* display, Window window, const char* name) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 256, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) != Success || data == nullptr)
    return {};
  std::string text(reinterpret_cast<char*>(data), count);
  XFree(data);
  return text;
}

void SendClientMessage(Display* display, Window window, const char* protocol) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, protocol, False));
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
}

bool Readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 2000) == 1;
}

TEST(RunWindowX11, IsNamedNeverShownAndTakesOnlyACloseRequest) {
  test::XvfbServer xvfb;
  ASSERT_TRUE(xvfb.ok());
  test::X11Connection other;  // another client, as a second instance would be
  ASSERT_TRUE(other.ok());
  bool taken = true;
  const auto run_window = RunWindowX11::Create("Oruna_Main", taken);
  EXPECT_FALSE(taken);
  ASSERT_NE(run_window, nullptr);

  // On the server as soon as it exists, under both title properties.
  EXPECT_EQ(other.Find("Oruna_Main"), run_window->window());
  EXPECT_EQ(StringProperty(other.get(), run_window->window(), "WM_NAME"), "Oruna_Main");
  EXPECT_EQ(StringProperty(other.get(), run_window->window(), "_NET_WM_NAME"), "Oruna_Main");
  XWindowAttributes attributes{};
  ASSERT_NE(XGetWindowAttributes(other.get(), run_window->window(), &attributes), 0);
  EXPECT_EQ(attributes.map_state, IsUnmapped);

  // Another protocol message is read and ignored; the close request counts
  // once.
  SendClientMessage(other.get(), run_window->window(), "WM_TAKE_FOCUS");
  ASSERT_TRUE(Readable(run_window->ConnectionFd()));
  EXPECT_FALSE(run_window->TakeCloseRequest());
  other.RequestClose(run_window->window());
  XSync(other.get(), False);
  ASSERT_TRUE(Readable(run_window->ConnectionFd()));
  EXPECT_TRUE(run_window->TakeCloseRequest());
  EXPECT_FALSE(run_window->TakeCloseRequest());
}

// Two runs started at the same instant both find no run window; only one
// may make it. Several would-be runs race here, each a process of its own
// released at once: a child's exit code says whether it got the window (0),
// found the title taken (1) or failed (2); a winner holds its window until
// every other child has ended.
TEST(RunWindowX11, OfRunsMadeAtTheSameInstantExactlyOneGetsTheTitle) {
  using namespace std::chrono_literals;
  test::XvfbServer xvfb;
  ASSERT_TRUE(xvfb.ok());
  for (int round = 0; round < 5; ++round) {
    constexpr int kRuns = 6;
    int go[2], hold[2];
    ASSERT_EQ(pipe(go), 0);
    ASSERT_EQ(pipe(hold), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kRuns; ++i) {
      const pid_t pid = fork();
      if (pid == 0) {
        close(go[1]);
        close(hold[1]);
        char c;
        (void)!read(go[0], &c, 1);  // returns when the parent closes its end
        bool taken = false;
        auto window = RunWindowX11::Create("Oruna_Main", taken);
        if (window) (void)!read(hold[0], &c, 1);
        _exit(window ? 0 : taken ? 1 : 2);
      }
      children.push_back(pid);
    }
    close(go[0]);
    close(hold[0]);
    close(go[1]);  // all start now
    std::map<int, int> codes;
    int ended = 0;
    for (auto end = std::chrono::steady_clock::now() + 10s; ended < kRuns - 1 && std::chrono::steady_clock::now() < end;) {
      int status = 0;
      if (waitpid(-1, &status, WNOHANG) > 0) {
        ++codes[WIFEXITED(status) ? WEXITSTATUS(status) : -1];
        ++ended;
      } else {
        std::this_thread::sleep_for(5ms);
      }
    }
    close(hold[1]);  // the winner may go
    for (; ended < kRuns; ++ended) {
      int status = 0;
      waitpid(-1, &status, 0);
      ++codes[WIFEXITED(status) ? WEXITSTATUS(status) : -1];
    }
    EXPECT_EQ(codes[0], 1) << "round " << round;
    EXPECT_EQ(codes[1], kRuns - 1) << "round " << round;
  }
}

}  // namespace
}  // namespace oruna
