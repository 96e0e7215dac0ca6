// Hiding the mouse cursor for a saver run on X11.
#pragma once
#include <X11/Xlib.h>

namespace oruna {

// XFixes hides the cursor on the whole screen for as long as this client's
// connection stays open or until it is shown again, so a saver that dies
// cannot leave the desktop without a cursor.
void HideCursorX11(Display* display);
void ShowCursorX11(Display* display);

}  // namespace oruna
