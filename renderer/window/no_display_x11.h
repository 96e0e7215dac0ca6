// The one line the renderer says when it cannot start for want of an X
// display (DISPLAY unset, a display that is not there, a Wayland session
// without XWayland): without it, a renderer that ends at once leaves the user
// or an idle daemon no clue why nothing showed.
// Limits: only the display is looked into; other failed starts stay quiet.
// Depends on: Xlib, stdio.
#pragma once

namespace oruna {

// After SDL's video start failed: when no connection to the X display can
// be made, writes one line naming the display to stderr, prefixed with
// `program`, and returns true; false (and silence) when the display opens.
bool ReportUnreachableDisplay(const char* program);

}  // namespace oruna
