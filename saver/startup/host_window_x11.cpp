// Host window check on X11: the id from the environment must name a window
// that exists now. A bad id raises an X error, which must not end the saver
// through the default error handler.
#include "host_window_x11.h"

#include <cstdlib>

#include "host_window.h"

namespace oruna {
namespace {

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

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
