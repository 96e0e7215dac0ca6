// The hidden run form's window on X11, made with Xlib alone so that a saver
// run does not start a GUI toolkit: only the settings dialog needs one.
#pragma once
#include <X11/Xlib.h>

#include <memory>

namespace oruna {

// A top-level window that is created and named but never mapped. It carries
// its title on the display for a second instance to find, and it takes the
// close request (WM_DELETE_WINDOW) a window manager or a tool may send it.
// It has a display connection of its own, so that its events are read only
// where its owner watches ConnectionFd(), never as a side effect of another
// connection's round trips.
class RunWindowX11 {
 public:
  // Opens the default display and creates the window, unless a window with
  // the same title exists: the look-up and the creation are one step for
  // every other client (the server is grabbed between them), so of two
  // programs doing this at the same instant exactly one gets the window.
  // Null, with `taken` set, when the title was taken; null when there is no
  // display to create it on. With `only_one` false the window is made beside
  // any other of that title, and `taken` stays false.
  static std::unique_ptr<RunWindowX11> Create(const char* title, bool& taken, bool only_one = true);
  ~RunWindowX11();
  RunWindowX11(const RunWindowX11&) = delete;
  RunWindowX11& operator=(const RunWindowX11&) = delete;

  // Readable whenever events may wait; the owner then calls TakeCloseRequest.
  int ConnectionFd() const;
  // Reads every queued event; true when one of them asked the window to close.
  bool TakeCloseRequest();
  Window window() const { return window_; }

 private:
  RunWindowX11(Display* display, Window window, Atom delete_window)
      : display_(display), window_(window), delete_window_(delete_window) {}

  Display* display_;
  Window window_;
  Atom delete_window_;
};

}  // namespace oruna
