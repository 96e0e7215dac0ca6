// The screen-saver host's window for a run, checked on X11.
#pragma once
#include <X11/Xlib.h>

#include "saver_platform.h"

namespace oruna {

// Reads $XSCREENSAVER_WINDOW: Absent when unset or empty, Usable when it
// names an existing window on `display`, NotAWindow otherwise (also without
// a display to ask).
HostWindowState CheckHostWindowX11(Display* display);

}  // namespace oruna
