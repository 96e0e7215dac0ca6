// Caption animation on X11: a few outline frames drawn with XOR straight onto
// the root window (through all windows), each erased by drawing it again.
// Under a compositing manager the frames may not show; nothing else changes.
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <unistd.h>

#include "caption_animation.h"

namespace oruna {
namespace {

constexpr int kFrames = 10;
constexpr useconds_t kFrameMicroseconds = 15000;  // about 150 ms in all

ScreenRect Between(const ScreenRect& a, const ScreenRect& b, double t) {
  auto mix = [t](int p, int q) { return static_cast<int>(p + (q - p) * t); };
  return {mix(a.x, b.x), mix(a.y, b.y), mix(a.width, b.width), mix(a.height, b.height)};
}

}  // namespace

void AnimateCaption(const ScreenRect& from, const ScreenRect& to) {
  GdkDisplay* gdk_display = gdk_display_get_default();
  if (gdk_display == nullptr || !GDK_IS_X11_DISPLAY(gdk_display)) return;
  Display* display = gdk_x11_display_get_xdisplay(gdk_display);
  const Window root = DefaultRootWindow(display);
  XGCValues values{};
  values.function = GXxor;
  values.foreground = WhitePixel(display, DefaultScreen(display)) ^ BlackPixel(display, DefaultScreen(display));
  values.subwindow_mode = IncludeInferiors;
  values.line_width = 2;
  GC gc = XCreateGC(display, root, GCFunction | GCForeground | GCSubwindowMode | GCLineWidth, &values);
  for (int frame = 1; frame <= kFrames; ++frame) {
    const ScreenRect r = Between(from, to, static_cast<double>(frame) / kFrames);
    const unsigned width = static_cast<unsigned>(r.width > 1 ? r.width : 1);
    const unsigned height = static_cast<unsigned>(r.height > 1 ? r.height : 1);
    XDrawRectangle(display, root, gc, r.x, r.y, width, height);
    XSync(display, False);
    usleep(kFrameMicroseconds);
    XDrawRectangle(display, root, gc, r.x, r.y, width, height);  // XOR again: erased
  }
  XFreeGC(display, gc);
  XSync(display, False);
}

}  // namespace oruna
