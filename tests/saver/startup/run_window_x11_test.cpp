// The hidden run form's window: never mapped, found by its title through
// either title property, and ending the run only on a close request.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <poll.h>

#include <string>

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
  const auto run_window = RunWindowX11::Create("Oruna_Main");
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

}  // namespace
}  // namespace oruna
