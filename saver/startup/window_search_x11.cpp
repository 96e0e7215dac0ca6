// Window title search on X11. A hidden (never mapped) window of another
// process still has its WM_NAME, so a recursive tree walk finds it where
// window-manager lists would not. The walk may be kept to the top-level
// windows, or to the inside of one window.
#include "window_search_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include "window_search.h"

namespace oruna {
namespace {

// Errors for windows that vanish during the walk must not end the program.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The text of the 8-bit property `property` of type `type`, if it has one.
bool ReadTextProperty(Display* display, Window window, Atom property, Atom type, std::string& text) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool read = XGetWindowProperty(display, window, property, 0, 1024, False, type, &actual, &format, &count,
                                       &after, &data) == Success &&
                    data != nullptr && format == 8;
  if (read) text.assign(reinterpret_cast<char*>(data), count);
  if (data != nullptr) XFree(data);
  return read;
}

bool HasWmState(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool has = XGetWindowProperty(display, window, XInternAtom(display, "WM_STATE", False), 0, 2, False,
                                      AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
                   type != None;
  if (data != nullptr) XFree(data);
  return has;
}

// Among the top-level windows: the children of the root, and under a window
// manager's frames the client windows, which carry WM_STATE. A managed
// client is not searched inside (its inner windows are its own panes).
Window SearchTopLevel(Display* display, Window window, const std::string& title, int depth) {
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return None;
  Window found = None;
  for (unsigned int i = 0; i < count && found == None; ++i) {
    const Window child = children[i];
    const bool managed = HasWmState(display, child);
    if ((depth == 0 || managed) && X11WindowHasTitle(display, child, title)) found = child;
    else if (!managed && depth < 4) found = SearchTopLevel(display, child, title, depth + 1);
  }
  if (children != nullptr) XFree(children);
  return found;
}

Window Search(Display* display, Window window, const std::string& title, int depth) {
  if (X11WindowHasTitle(display, window, title)) return window;
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

bool X11WindowHasTitle(Display* display, Window window, const std::string& title) {
  std::string name;
  if (ReadTextProperty(display, window, XA_WM_NAME, AnyPropertyType, name) && name == title) return true;
  // Xlib caches interned atoms per connection: this is a round trip only once.
  const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  return ReadTextProperty(display, window, net_wm_name, utf8, name) && name == title;
}

Window FindX11WindowByTitle(Display* display, const std::string& title) {
  XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
  Window found = Search(display, DefaultRootWindow(display), title, 0);
  XSync(display, False);
  XSetErrorHandler(previous);
  return found;
}

Window FindX11WindowByTitleIn(Display* display, const std::string& title, TitleScope scope) {
  if (scope.kind == TitleScope::Anywhere) return FindX11WindowByTitle(display, title);
  XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
  Window found = None;
  if (scope.kind == TitleScope::TopLevel) {
    found = SearchTopLevel(display, DefaultRootWindow(display), title, 0);
  } else if (scope.inside != None) {
    found = Search(display, scope.inside, title, 0);
    if (found == scope.inside) found = None;  // the host's own window is not the renderer's
  }
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
