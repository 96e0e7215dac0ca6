// Whether a window manager runs on an X display (Linux/X11).
#pragma once
#include <X11/Xlib.h>

namespace oruna {

// True when a window manager announces itself as the standard asks
// (_NET_SUPPORTING_WM_CHECK on the root window).
bool WindowManagerRuns(Display* display);

}  // namespace oruna
