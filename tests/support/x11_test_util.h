// X11 helpers for end-to-end tests: find windows by title, press keys,
// request a close as a window manager would, read pixels back.
#pragma once
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace oruna::test {

// An open connection to $DISPLAY for the life of the object.
class X11Connection {
 public:
  X11Connection();
  ~X11Connection();
  X11Connection(const X11Connection&) = delete;
  X11Connection& operator=(const X11Connection&) = delete;
  Display* get() const { return display_; }
  bool ok() const { return display_ != nullptr; }

  Window Find(const std::string& title);
  // Waits until a window with the title exists (true) or the timeout passes.
  bool WaitForWindow(const std::string& title, std::chrono::milliseconds timeout);
  bool WaitForWindowGone(const std::string& title, std::chrono::milliseconds timeout);

  // Presses and releases a key through XTest (to the focused window).
  void TapKey(const char* keysym_name);
  void KeyDown(const char* keysym_name);
  void KeyUp(const char* keysym_name);
  // Sends WM_DELETE_WINDOW, the close request of a window manager.
  void RequestClose(Window window);
  // Size of a window's inside, in pixels.
  bool Size(Window window, int& width, int& height);
  // 0xRRGGBB pixels of a rectangle of the root window, rows top first.
  std::vector<uint32_t> Grab(int x, int y, int width, int height);

 private:
  Display* display_ = nullptr;
};

// Adds a 1024x768 mode at about 60 Hz to the screen's first output, so that
// the display offers it beside its own (Xvfb offers only its start size).
bool OfferMode1024x768(Display* display);

// Switches the first CRTC and the screen to that mode, the way a full-screen
// program does (the CRTC off, the screen resized, the CRTC on with the new
// mode). False when the mode is not offered.
bool SwitchTo1024x768(Display* display);

// The screen's size as the server has it now (not as cached at connection).
std::pair<int, int> RootSize(Display* display);

// A plain top-level window filled with `pixel` (0xRRGGBB on a 24-bit
// screen), titled `title` when given, mapped (and shown once this returns)
// when `mapped`: a host's window, a preview pane, a title to be found.
Window MakeTestWindow(Display* display, int x, int y, int width, int height, uint32_t pixel,
                      const char* title = nullptr, bool mapped = true);

// The window tree around `window`: its children now, and its parent.
std::vector<Window> ChildWindows(Display* display, Window window);
Window ParentWindow(Display* display, Window window);

}  // namespace oruna::test
