// The hidden run form's window on X11 through Xlib: created, named (legacy
// and UTF-8 title), registered for close requests, never mapped.
#include "run_window_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstring>

#include "window_search_x11.h"

namespace oruna {

std::unique_ptr<RunWindowX11> RunWindowX11::Create(const char* title, bool& taken, bool only_one) {
  taken = false;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  XGrabServer(display);
  if (only_one && FindX11WindowByTitle(display, title) != None) {
    XUngrabServer(display);
    XCloseDisplay(display);
    taken = true;
    return nullptr;
  }
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  // Both title properties, as a toolkit sets them: look-ups may read either.
  XStoreName(display, window, title);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
  const long pid = static_cast<long>(getpid());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  Atom delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &delete_window, 1);
  // The caption must be on the server before Main goes on: a second
  // instance started right after this one has to find it.
  XUngrabServer(display);
  XSync(display, False);
  return std::unique_ptr<RunWindowX11>(new RunWindowX11(display, window, delete_window));
}

RunWindowX11::~RunWindowX11() {
  XDestroyWindow(display_, window_);
  XCloseDisplay(display_);
}

int RunWindowX11::ConnectionFd() const { return ConnectionNumber(display_); }

bool RunWindowX11::TakeCloseRequest() {
  bool close = false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == ClientMessage && event.xclient.window == window_ && event.xclient.format == 32 &&
        static_cast<Atom>(event.xclient.data.l[0]) == delete_window_)
      close = true;
  }
  return close;
}

}  // namespace oruna
