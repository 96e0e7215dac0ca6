// The screen-saver host's window for a run, checked on X11.
#pragma once
#include <X11/Xlib.h>

#include "saver_platform.h"

namespace oruna {

// Reads $XSCREENSAVER_WINDOW: Absent when unset or empty, Usable when it
// names an existing window on `display`, NotAWindow otherwise (also without
// a display to ask).
HostWindowState CheckHostWindowX11(Display* display);

// The window $XSCREENSAVER_WINDOW names; None when it names none.
Window HostWindowIdX11();

// What `window` looks like on `display`: top-level when it is a child of the
// root or carries WM_STATE (a window the window manager manages); covering
// its monitor when it is at least as large as the RandR monitor its middle
// lies on (the whole screen without RandR monitors). A window that cannot be
// read counts as a top-level covering its monitor, as a daemon's would.
HostWindowShape ShapeOfHostWindowX11(Display* display, Window window);

}  // namespace oruna
