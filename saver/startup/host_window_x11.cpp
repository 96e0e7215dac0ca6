// Host window check on X11: the id from the environment must name a window
// that exists now. A bad id raises an X error, which must not end the saver
// through the default error handler. Also the host window's shape, from its
// place in the window tree and the RandR monitors (Xrandr).
#include "host_window_x11.h"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>

#include "host_window.h"

namespace oruna {
namespace {

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// The parent of `window`; None when it cannot be read.
Window ParentOf(Display* display, Window window) {
  Window root = None, parent = None;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return None;
  if (children != nullptr) XFree(children);
  return parent;
}

bool HasWmState(Display* display, Window window) {
  const Atom wm_state = XInternAtom(display, "WM_STATE", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool has = XGetWindowProperty(display, window, wm_state, 0, 2, False, AnyPropertyType, &type, &format,
                                      &count, &after, &data) == Success &&
                   type != None;
  if (data != nullptr) XFree(data);
  return has;
}

struct Area {
  int x, y, width, height;
};

// The monitor the point lies on: a RandR monitor, else the whole screen.
Area MonitorAt(Display* display, int x, int y) {
  const Area screen{0, 0, DisplayWidth(display, DefaultScreen(display)),
                    DisplayHeight(display, DefaultScreen(display))};
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  Area found = screen;
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    if (x >= m.x && y >= m.y && x < m.x + m.width && y < m.y + m.height) {
      found = {m.x, m.y, m.width, m.height};
      break;
    }
  }
  if (monitors != nullptr) XRRFreeMonitors(monitors);
  return found;
}

}  // namespace

Window HostWindowIdX11() {
  const HostWindowRequest request = HostWindowFromValue(std::getenv(kHostWindowVariable));
  return request.window ? static_cast<Window>(*request.window) : None;
}

HostWindowShape ShapeOfHostWindowX11(Display* display, Window window) {
  HostWindowShape shape;
  shape.window = static_cast<uint32_t>(window);
  if (display == nullptr || window == None) return shape;
  XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
  XWindowAttributes attributes{};
  Window child = None;
  int x = 0, y = 0;
  if (XGetWindowAttributes(display, window, &attributes) != 0 &&
      XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child)) {
    const Window parent = ParentOf(display, window);
    shape.top_level = parent == None || parent == attributes.root || HasWmState(display, window);
    const Area monitor = MonitorAt(display, x + attributes.width / 2, y + attributes.height / 2);
    shape.covers_its_monitor = attributes.width >= monitor.width && attributes.height >= monitor.height;
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  return shape;
}

HostWindowState CheckHostWindowX11(Display* display) {
  const HostWindowRequest request = HostWindowFromValue(std::getenv(kHostWindowVariable));
  if (!request.requested) return HostWindowState::Absent;
  if (!request.window || display == nullptr) return HostWindowState::NotAWindow;
  XErrorHandler previous = XSetErrorHandler(IgnoreXErrors);
  XWindowAttributes attributes{};
  const bool exists = XGetWindowAttributes(display, *request.window, &attributes) != 0;
  XSync(display, False);
  XSetErrorHandler(previous);
  return exists ? HostWindowState::Usable : HostWindowState::NotAWindow;
}

}  // namespace oruna
