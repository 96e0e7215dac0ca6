// Host window on X11: the child window the renderer draws into when a
// screen-saver host hands it a window. SDL only adopts it, and selects no
// input on it, so pointer and keys stay the host's. It is made on an Xlib
// connection of our own, because SDL's cannot serve: the child must exist
// before SDL adopts it, and SDL hands out its connection only for a window
// it already has; and the host window's ConfigureNotify and DestroyNotify,
// which the renderer follows, would arrive in SDL's event loop, which drops
// events of windows it did not make. Errors caused by a host that destroys
// its window under us are expected and ignored; the DestroyNotify that
// follows ends the renderer.
#include "host_child_window_x11.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>

#include "host_window.h"

namespace oruna {
namespace {

struct HostState {
  Display* display = nullptr;
  Window host = 0;
  Window child = 0;
  Colormap colormap = 0;
  int width = 0, height = 0;
};
HostState h;

int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

// A visual for the context SDL will make on the window: it must match the
// attributes the renderer asks SDL for.
XVisualInfo* ChooseGlVisual(Display* display, int bits) {
  const int channel = bits >= 24 ? 8 : 5;
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, channel, GLX_GREEN_SIZE, channel,
                      GLX_BLUE_SIZE, channel, GLX_DEPTH_SIZE, 16, None};
  return glXChooseVisual(display, DefaultScreen(display), attributes);
}

void SetTitle(const char* title) {
  XStoreName(h.display, h.child, title);
  const Atom net_wm_name = XInternAtom(h.display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(h.display, "UTF8_STRING", False);
  XChangeProperty(h.display, h.child, net_wm_name, utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
}

bool MakeChild(const char* title, int bits) {
  XWindowAttributes host{};
  if (XGetWindowAttributes(h.display, h.host, &host) == 0) return false;
  h.width = host.width;
  h.height = host.height;
  XVisualInfo* visual = ChooseGlVisual(h.display, bits);
  if (visual == nullptr) return false;
  h.colormap = XCreateColormap(h.display, h.host, visual->visual, AllocNone);
  XSetWindowAttributes attributes{};
  attributes.colormap = h.colormap;
  attributes.background_pixel = BlackPixel(h.display, DefaultScreen(h.display));
  attributes.border_pixel = 0;
  h.child = XCreateWindow(h.display, h.host, 0, 0, static_cast<unsigned>(h.width), static_cast<unsigned>(h.height),
                          0, visual->depth, InputOutput, visual->visual,
                          CWColormap | CWBackPixel | CWBorderPixel, &attributes);
  XFree(visual);
  // Size changes and the end of the host's window reach us, nothing else.
  XSelectInput(h.display, h.host, StructureNotifyMask);
  SetTitle(title);
  XMapWindow(h.display, h.child);
  XSync(h.display, False);
  // The host may have gone meanwhile; its window must still be there.
  return XGetWindowAttributes(h.display, h.host, &host) != 0;
}

}  // namespace

bool RendererInHostWindow() {
  // Read once: the loop asks on every pass.
  static const bool hosted = HostWindowFromValue(std::getenv(kHostWindowVariable)).requested;
  return hosted;
}

unsigned long CreateHostChildWindow(const char* title, int bits, int& width, int& height) {
  const HostWindowRequest request = HostWindowFromValue(std::getenv(kHostWindowVariable));
  if (!request.window) return 0;
  h.display = XOpenDisplay(nullptr);
  if (h.display == nullptr) return 0;
  // Process-wide, also for SDL's connection: a host that destroys its window
  // while we draw must not end us with an error report.
  XSetErrorHandler(IgnoreXErrors);
  h.host = *request.window;
  if (!MakeChild(title, bits)) {
    DestroyHostChildWindow();
    return 0;
  }
  width = h.width;
  height = h.height;
  return h.child;
}

HostWindowChange PollHostWindow(int& width, int& height) {
  if (h.display == nullptr) return HostWindowChange::Gone;
  HostWindowChange change = HostWindowChange::Same;
  while (XPending(h.display) > 0) {
    XEvent event;
    XNextEvent(h.display, &event);
    if (event.type == DestroyNotify && event.xdestroywindow.window == h.host) return HostWindowChange::Gone;
    if (event.type != ConfigureNotify || event.xconfigure.window != h.host) continue;
    if (event.xconfigure.width == h.width && event.xconfigure.height == h.height) continue;
    h.width = event.xconfigure.width;
    h.height = event.xconfigure.height;
    XResizeWindow(h.display, h.child, static_cast<unsigned>(h.width), static_cast<unsigned>(h.height));
    change = HostWindowChange::Resized;
  }
  if (change == HostWindowChange::Resized) XFlush(h.display);
  width = h.width;
  height = h.height;
  return change;
}

void DestroyHostChildWindow() {
  if (h.display == nullptr) return;
  if (h.child != 0) XDestroyWindow(h.display, h.child);
  if (h.colormap != 0) XFreeColormap(h.display, h.colormap);
  XCloseDisplay(h.display);
  h = HostState{};
}

}  // namespace oruna
