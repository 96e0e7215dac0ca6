// The real Oruna.dll on a private Xvfb with a bad bitmap: its error box is
// owned by the renderer window (so that a window manager keeps it in front of
// the full-screen window and hands it the focus), opens above it, holds the
// renderer until answered, and once answered the renderer runs on.
// clang-format off
#include <gtest/gtest.h>  // before Xlib, whose macros clash with it
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <sys/stat.h>

#include <memory>

#include "renderer_e2e_support.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

// SDL draws its box with a core X font of 12 points. A bare Xvfb has only its
// built-in "fixed", under another name: a font folder that only holds an
// alias lends it the name SDL asks for.
bool LendFontForMessageBoxes(Display* display, const std::string& folder) {
  if (mkdir(folder.c_str(), 0700) != 0) return false;
  const std::string alias =
      "\"-misc-fixed-medium-r-normal--13-120-75-75-c-60-iso8859-1\" "
      "\"-misc-fixed-medium-r-semicondensed--13-120-75-75-c-60-iso8859-1\"\n";
  if (!WriteFileBytes(folder + "/fonts.dir", {'0', '\n'}) ||
      !WriteFileBytes(folder + "/fonts.alias", std::vector<uint8_t>(alias.begin(), alias.end())))
    return false;
  const char* path[] = {"built-ins", folder.c_str()};
  XSetFontPath(display, const_cast<char**>(path), 2);
  XSync(display, False);
  return true;
}

// The top-level window holding `window` (itself, without a window manager).
Window TopLevel(Display* display, Window window) {
  for (;;) {
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return None;
    if (children != nullptr) XFree(children);
    if (parent == root) return window;
    window = parent;
  }
}

// True when `above` is stacked above `below` (later among the root's children).
bool StackedAbove(Display* display, Window above, Window below) {
  above = TopLevel(display, above);
  below = TopLevel(display, below);
  Window root = None, parent = None, *children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) return false;
  int above_at = -1, below_at = -1;
  for (unsigned int i = 0; i < count; ++i) {
    if (children[i] == above) above_at = static_cast<int>(i);
    if (children[i] == below) below_at = static_cast<int>(i);
  }
  if (children != nullptr) XFree(children);
  return below_at >= 0 && above_at > below_at;
}

TEST(ErrorBox, BadBitmapBoxIsOwnedByTheRendererWindowOpensAboveItAndIsAnswerable) {
  XvfbServer xvfb("1024x768x24");
  ASSERT_TRUE(xvfb.ok());
  X11Connection x11;
  ASSERT_TRUE(x11.ok());
  RendererRun run;
  ASSERT_TRUE(run.ok());
  ASSERT_TRUE(LendFontForMessageBoxes(x11.get(), run.runtime() + "/fonts"));
  ASSERT_TRUE(WriteFileBytes(run.runtime() + "/p_orvi/Oruna2.bmp", {'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p'}));
  ChildProcess& renderer = run.Start();

  ASSERT_TRUE(x11.WaitForWindow("Error", 20s)) << "the bad bitmap is reported in a box";
  const Window box = x11.Find("Error");
  const Window renderer_window = x11.Find("Oruna_VC");
  ASSERT_NE(renderer_window, None);
  Window owner = None;
  ASSERT_NE(XGetTransientForHint(x11.get(), box, &owner), 0) << "the box has an owner";
  EXPECT_EQ(owner, renderer_window);
  ASSERT_TRUE(WaitUntil([&] { return StackedAbove(x11.get(), box, renderer_window); }, 5s))
      << "the box opens above the renderer window";

  // The renderer waits for the answer. The box gets the keyboard focus, as a
  // window manager hands it to a dialog, and Return answers it.
  SleepMs(300);
  EXPECT_FALSE(renderer.Wait(0ms).has_value());
  XSetInputFocus(x11.get(), box, RevertToPointerRoot, CurrentTime);
  XSync(x11.get(), False);
  x11.TapKey("Return");
  ASSERT_TRUE(x11.WaitForWindowGone("Error", 10s)) << "the box is answered";

  // Then the scene runs with the three good bitmaps, until Escape.
  SleepMs(300);
  EXPECT_FALSE(renderer.Wait(0ms).has_value());
  XSetInputFocus(x11.get(), renderer_window, RevertToPointerRoot, CurrentTime);
  XSync(x11.get(), False);
  x11.TapKey("Escape");
  EXPECT_EQ(renderer.Wait(10s), 0);
}

}  // namespace
}  // namespace oruna::test
