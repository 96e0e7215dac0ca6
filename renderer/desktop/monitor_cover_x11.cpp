// Monitor covers on Linux/X11: one override-redirect black window per
// rectangle to cover, and the standard window manager requests that keep the
// renderer above panels and always-on-top windows with the keyboard focus.
// They share the renderer window's connection (SDL's): the covers select no
// input, so no event of theirs reaches SDL's event loop, and everything here
// runs on the loop's thread. The teardown removes them before SDL closes it.
#include <SDL.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

#include "monitor_cover.h"
#include "window_manager_x11.h"

namespace oruna {
namespace {

struct Covers {
  Display* display = nullptr;
  Cursor blank_cursor = None;
  std::vector<Window> windows;
};
Covers covers;

// The monitors as SDL sees them (RandR outputs or Xinerama screens).
std::vector<ScreenRect> Monitors() {
  std::vector<ScreenRect> out;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(i, &r) == 0) out.push_back({r.x, r.y, r.w, r.h});
  }
  return out;
}

Cursor BlankCursor(Display* display, Window root) {
  static const char kNoBits[1] = {0};
  const Pixmap pixmap = XCreateBitmapFromData(display, root, kNoBits, 1, 1);
  XColor black{};
  const Cursor cursor = XCreatePixmapCursor(display, pixmap, pixmap, &black, &black, 0, 0);
  XFreePixmap(display, pixmap);
  return cursor;
}

// Override-redirect: no window manager frames, moves or focuses it, and a
// click on it changes nothing. It selects no input, so clicks and keys pass
// to no one.
Window CreateCover(const ScreenRect& r, bool hide_cursor) {
  Display* d = covers.display;
  const int screen = DefaultScreen(d);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = BlackPixel(d, screen);
  unsigned long mask = CWOverrideRedirect | CWBackPixel;
  if (hide_cursor) {
    attributes.cursor = covers.blank_cursor;
    mask |= CWCursor;
  }
  const Window w = XCreateWindow(d, RootWindow(d, screen), r.x, r.y, static_cast<unsigned>(r.width),
                                 static_cast<unsigned>(r.height), 0, CopyFromParent, InputOutput,
                                 CopyFromParent, mask, &attributes);
  XMapRaised(d, w);
  return w;
}

void SendToWindowManager(Display* d, Window w, const char* message, long l0, long l1, long l2) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, message, False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = l0;
  e.xclient.data.l[1] = l1;
  e.xclient.data.l[2] = l2;
  e.xclient.data.l[3] = 1;  // the request comes from a normal application
  XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
}

// A window manager is asked for the layer above panels and always-on-top
// windows (full screen, and "above" for the windowed case) and to activate
// the window. The activation names a pager as its source (2) so that focus
// stealing prevention lets it through: a screen saver must get the keyboard.
// Without a window manager the renderer is raised and focused directly.
void KeepOnTopWithFocus(Window renderer, bool fullscreen) {
  Display* d = covers.display;
  constexpr long kAdd = 1;
  if (WindowManagerRuns(d)) {
    const long above = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_ABOVE", False));
    const long full = fullscreen ? static_cast<long>(XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False)) : 0;
    SendToWindowManager(d, renderer, "_NET_WM_STATE", kAdd, above, full);
    SendToWindowManager(d, renderer, "_NET_ACTIVE_WINDOW", 2, CurrentTime, None);
    return;
  }
  XRaiseWindow(d, renderer);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(d, renderer, &attributes) != 0 && attributes.map_state == IsViewable)
    XSetInputFocus(d, renderer, RevertToPointerRoot, CurrentTime);
}

}  // namespace

void CoverOtherMonitors(NativeWindow renderer, const ScreenRect& drawn, bool fullscreen) {
  RemoveMonitorCovers();
  covers.display = static_cast<Display*>(renderer.connection);
  if (covers.display == nullptr) return;
  // The pointer is hidden wherever the renderer hides it: in full screen.
  if (fullscreen) covers.blank_cursor = BlankCursor(covers.display, DefaultRootWindow(covers.display));
  for (const ScreenRect& r : CoverRects(Monitors(), drawn)) covers.windows.push_back(CreateCover(r, fullscreen));
  KeepOnTopWithFocus(static_cast<Window>(renderer.id), fullscreen);
  XSync(covers.display, False);
}

void RemoveMonitorCovers() {
  if (covers.display == nullptr) return;
  for (Window w : covers.windows) XDestroyWindow(covers.display, w);
  covers.windows.clear();
  if (covers.blank_cursor != None) XFreeCursor(covers.display, covers.blank_cursor);
  covers.blank_cursor = None;
  XFlush(covers.display);
  covers.display = nullptr;
}

}  // namespace oruna
