// Whether a window manager runs on an X display (Linux/X11).
#include "window_manager_x11.h"

#include <X11/Xatom.h>

namespace oruna {

bool WindowManagerRuns(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  const int rc = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                    &type, &format, &items, &after, &data);
  const bool found = rc == Success && type == XA_WINDOW && items == 1;
  if (data != nullptr) XFree(data);
  return found;
}

}  // namespace oruna
