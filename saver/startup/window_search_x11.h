// Xlib side of the title search, usable with an already open display.
#pragma once
#include <X11/Xlib.h>

#include <string>

namespace oruna {

// What "a window titled `title`" means on X11: its WM_NAME (the legacy
// title) or its _NET_WM_NAME (the UTF-8 title) is exactly `title`. Toolkits
// set both; a client may set only one.
bool X11WindowHasTitle(Display* display, Window window, const std::string& title);

// Walks the whole window tree under the root (XQueryTree) and returns the
// first window that has the title, or None.
Window FindX11WindowByTitle(Display* display, const std::string& title);

// Where a title is looked for: anywhere under the root, among the top-level
// windows only (children of the root and windows the window manager manages,
// never a window inside another program's window), or inside one window.
struct TitleScope {
  enum Kind { Anywhere, TopLevel, Inside } kind = Anywhere;
  Window inside = None;  // for Inside
};

// The first window in `scope` that has the title, or None.
Window FindX11WindowByTitleIn(Display* display, const std::string& title, TitleScope scope);

}  // namespace oruna
