// A desktop to run the renderer on in end-to-end tests: an Xorg server with
// the dummy driver and two monitors side by side, window managers, and plain
// coloured windows of the kinds a desktop has (normal, always on top, dock).
#pragma once
#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <string>

#include "test_support.h"

namespace oruna::test {

// Xorg with the dummy video driver on a free display (-displayfd), screen
// 2048x768 as two 1024x768 RandR monitors side by side, the first primary;
// $DISPLAY points at it for the life of the object. Needs root (Xorg takes a
// config file from any path only then) and the dummy driver; `why_not` says
// what is missing when it cannot start.
class TwoMonitorXorg {
 public:
  TwoMonitorXorg();
  ~TwoMonitorXorg();
  TwoMonitorXorg(const TwoMonitorXorg&) = delete;
  TwoMonitorXorg& operator=(const TwoMonitorXorg&) = delete;
  bool ok() const { return why_not_.empty(); }
  const std::string& why_not() const { return why_not_; }

 private:
  bool Start();
  bool AddSecondMonitor();

  TempDir dir_;
  pid_t pid_ = -1;
  std::string why_not_;
  ScopedDisplay display_variable_;
};

enum class WindowKind { kNormal, kAlwaysOnTop, kDock };

// Creates and maps an undecorated window of one solid colour (0xRRGGBB on a
// 24-bit TrueColor screen) that asks to be placed at x, y.
Window MapColourWindow(Display* display, int x, int y, int width, int height, uint32_t rgb, WindowKind kind);

// Starts the window manager `program` (openbox, xfwm4) and waits until it
// handles new windows; nullptr when it does not get that far.
std::unique_ptr<ChildProcess> StartWindowManager(Display* display, const std::string& program);

// Where a window's inside is on the root window.
bool RootPosition(Display* display, Window window, int& x, int& y);

}  // namespace oruna::test
