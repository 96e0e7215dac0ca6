// Xlib side of the title search, usable with an already open display.
#pragma once
#include <X11/Xlib.h>

#include <string>

namespace oruna {

// Walks the whole window tree under the root (XQueryTree) and compares
// WM_NAME and _NET_WM_NAME with `title`. Returns the first match or None.
Window FindX11WindowByTitle(Display* display, const std::string& title);

}  // namespace oruna
