// renderer/desktop: the desktop around the renderer's window.
//
// Covers: black covers over every part of every monitor the renderer does
// not draw on, so that no desktop window shows or takes a click during a run
// (where they go: monitor_cover_layout; the windows: monitor_cover_x11 /
// _win32), keeping the renderer above panels with the keyboard, whether a
// window manager runs (window_manager_x11), and the child window the renderer
// draws into inside a screen-saver host's window (host_child_window_*).
// Limits: never draws the scene, runs no loop and changes no display mode:
// the window part asks, this part places windows on the desktop.
// Depends on: Xlib and SDL's display list (X11) or user32 (Windows), and the
// host's window id (../host_window.h).
#pragma once
#include <cstdint>
#include <vector>

namespace oruna {

// A rectangle in desktop coordinates, in pixels.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const ScreenRect&) const = default;
};

// The rectangles to cover: each monitor's area minus the part `drawn` (the
// renderer's client area) takes, as at most four bands per monitor (above,
// below, left and right of it). Monitors that mirror one another are covered
// once; empty monitors give nothing.
std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& drawn);

// The renderer's own window: an X11 window id or an HWND, and on X11 the
// Xlib connection (Display*) it was made on, which the covers then share.
struct NativeWindow {
  std::uintptr_t id = 0;
  void* connection = nullptr;
};

// Covers everything outside `drawn` on every monitor with windows that take
// no focus (the pointer is hidden on them when `hide_cursor` is set), then
// keeps the renderer window above all others and gives it the keyboard.
// `fullscreen` tells whether the renderer runs in the changed display mode.
void CoverOtherMonitors(NativeWindow renderer, const ScreenRect& drawn, bool fullscreen);

// Removes the covers again; safe when there are none.
void RemoveMonitorCovers();

}  // namespace oruna
