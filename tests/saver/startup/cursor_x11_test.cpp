// The saver's cursor hiding on X11, seen in the frame buffer of a private
// Xvfb: hidden on the whole screen, shown again on request while the saver's
// connection is still open, and never left hidden by a connection that ends.
#include <gtest/gtest.h>

#include "cursor_x11.h"
#include "screen_cursor_x11.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

TEST(CursorX11, HiddenUntilShownAgainOrUntilTheConnectionEnds) {
  XvfbServer xvfb;
  ASSERT_TRUE(xvfb.ok());
  X11Connection observer;
  ASSERT_TRUE(observer.ok());
  ScreenCursor cursor(observer.get(), xvfb.framebuffer_file());
  ASSERT_TRUE(cursor.ShowPlainCursorAt(300, 200, 5s));

  Display* saver = XOpenDisplay(nullptr);  // the saver's own connection
  ASSERT_NE(saver, nullptr);
  HideCursorX11(saver);
  XSync(saver, False);
  EXPECT_TRUE(cursor.AbsentFor(300ms)) << "hidden";
  cursor.MovePointer(700, 500);
  EXPECT_TRUE(cursor.AbsentFor(300ms)) << "hidden wherever the pointer goes";
  ShowCursorX11(saver);
  EXPECT_TRUE(cursor.SeenWithin(2s)) << "shown again while the connection is open";

  HideCursorX11(saver);
  XSync(saver, False);
  EXPECT_TRUE(cursor.AbsentFor(300ms));
  XCloseDisplay(saver);
  EXPECT_TRUE(cursor.SeenWithin(2s)) << "a saver that ends cannot leave the cursor hidden";
}

}  // namespace
}  // namespace oruna::test
