// Window title search on X11. A hidden (never mapped) window of another
// process still has its WM_NAME, so a recursive tree walk finds it where
// window-manager lists would not.
#include "window_search_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "window_search.h"

namespace oruna {
namespace {

// Errors for windows that vanish during the walk must not end the program.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

bool TitleMatches(Display* display, Window window, const std::string& title) {
  XTextProperty text{};
  if (XGetWMName(display, window, &text) != 0 && text.value != nullptr) {
    const std::string name(reinterpret_cast<const char*>(text.value), text.nitems);
    XFree(text.value);
    if (name == title) return true;
  }
  static thread_local Atom net_wm_name = None;
  static thread_local Atom utf8 = None;
  if (net_wm_name == None) {
    net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
    utf8 = XInternAtom(display, "UTF8_STRING", False);
  }
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool match = false;
  if (XGetWindowProperty(display, window, net_wm_name, 0, 1024, False, utf8, &type, &format,
                         &count, &after, &data) == Success && data != nullptr) {
    match = format == 8 && std::string(reinterpret_cast<char*>(data), count) == title;
    XFree(data);
  }
  return match;
}

Window Search(Display* display, Window window, const std::string& title, int depth) {
  if (TitleMatches(display, window, title)) return window;
  if (depth > 4) return None;  // top-level windows sit at most a few frames deep
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return None;
  Window found = None;
  for (unsigned int i = 0; i < count && found == None; ++i)
    found = Search(display, children[i], title, depth + 1);
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

Window FindX11WindowByTitle(Display* display, const std::string& title) {
  XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
  Window found = Search(display, DefaultRootWindow(display), title, 0);
  XSync(display, False);
  XSetErrorHandler(previous);
  return found;
}

bool WindowWithTitleExists(const std::string& title) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const bool found = FindX11WindowByTitle(display, title) != None;
  XCloseDisplay(display);
  return found;
}

}  // namespace oruna
