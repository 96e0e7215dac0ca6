// The renderer's stand-in for a window manager's answer to its full-screen
// request (Linux/X11): a listener thread on a connection of its own, started
// only where no window manager runs. Why it exists and why it takes a thread,
// a connection and a one-row shrink: fullscreen_answer_x11.h. Also the
// reading of a manager's output-sized answer on an emulating server, through
// the window's properties and RandR's monitor list.
#include "fullscreen_answer_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <atomic>
#include <thread>
#include <vector>

#include "window_manager_x11.h"

namespace oruna {
namespace {

constexpr int kPollMs = 5;  // how soon a stop request is seen

struct StandIn {
  Display* display = nullptr;
  Window window = None;
  unsigned width = 0, height = 0;
  Atom wm_state = None, fullscreen = None;
  std::atomic<bool> stop{false};
  std::atomic<bool> answered{false};
  std::thread listener;
};
StandIn g;

// The request as SDL (and any client following the window-manager
// standard) sends it: _NET_WM_STATE, "add", naming full screen.
bool IsFullscreenRequest(const XEvent& e) {
  if (e.type != ClientMessage || e.xclient.window != g.window) return false;
  if (e.xclient.message_type != g.wm_state || e.xclient.format != 32) return false;
  constexpr long kAdd = 1;
  const auto& l = e.xclient.data.l;
  return l[0] == kAdd && (static_cast<Atom>(l[1]) == g.fullscreen || static_cast<Atom>(l[2]) == g.fullscreen);
}

void GiveFullSize() {
  XResizeWindow(g.display, g.window, g.width, g.height);
  XSync(g.display, False);
}

void Listen() {
  pollfd fd{ConnectionNumber(g.display), POLLIN, 0};
  while (!g.stop) {
    while (XPending(g.display) > 0) {
      XEvent e;
      XNextEvent(g.display, &e);
      if (IsFullscreenRequest(e)) {
        GiveFullSize();
        g.answered = true;
        return;
      }
    }
    poll(&fd, 1, kPollMs);
  }
}

// A window property of 32-bit items of `type` (Xlib hands them over as longs).
std::vector<long> LongProperty(Display* d, Window w, const char* name, Atom type) {
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> out;
  const Atom property = XInternAtom(d, name, False);
  if (XGetWindowProperty(d, w, property, 0, 64, False, type, &actual, &format, &count, &after, &data) == Success &&
      data != nullptr && actual == type && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);
    out.assign(items, items + count);
  }
  if (data != nullptr) XFree(data);
  return out;
}

bool HasFullscreenState(Display* d, Window w) {
  const long fullscreen = static_cast<long>(XInternAtom(d, "_NET_WM_STATE_FULLSCREEN", False));
  for (long state : LongProperty(d, w, "_NET_WM_STATE", XA_ATOM))
    if (state == fullscreen) return true;
  return false;
}

// Whether an active RandR monitor has exactly this area.
bool IsMonitorArea(Display* d, int x, int y, int width, int height) {
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(d, DefaultRootWindow(d), True, &count);
  bool found = false;
  for (int i = 0; i < count && !found; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    found = m.x == x && m.y == y && m.width == width && m.height == height;
  }
  if (monitors != nullptr) XRRFreeMonitors(monitors);
  return found;
}

}  // namespace

// XWayland lists, for a client whose mode change it emulates, the emulated
// monitor areas (x, y, width, height each) on that client's windows.
bool ModeEmulated(Display* display, unsigned long window, int width, int height) {
  const std::vector<long> rects = LongProperty(display, window, "_XWAYLAND_RANDR_EMU_MONITOR_RECTS", XA_CARDINAL);
  for (size_t i = 0; i + 3 < rects.size(); i += 4)
    if (rects[i + 2] == width && rects[i + 3] == height) return true;
  return false;
}

bool WindowAreaOnRoot(Display* display, unsigned long window, int& x, int& y, int& width, int& height) {
  XWindowAttributes attributes{};
  Window child = None;
  if (XGetWindowAttributes(display, window, &attributes) == 0) return false;
  if (!XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child)) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

bool OutputSizedFullscreen(Display* display, unsigned long window, int width, int height) {
  int x = 0, y = 0, w = 0, h = 0;
  if (!WindowAreaOnRoot(display, window, x, y, w, h)) return false;
  return ModeEmulated(display, window, width, height) && HasFullscreenState(display, window) &&
         IsMonitorArea(display, x, y, w, h);
}

void StartFullscreenAnswer(const char* display_name, unsigned long window, int width, int height) {
  if (g.display != nullptr || width <= 0 || height <= 1) return;
  g.display = XOpenDisplay(display_name);
  if (g.display == nullptr) return;
  if (WindowManagerRuns(g.display)) {
    XCloseDisplay(g.display);
    g.display = nullptr;
    return;
  }
  g.window = window;
  g.width = static_cast<unsigned>(width);
  g.height = static_cast<unsigned>(height);
  g.wm_state = XInternAtom(g.display, "_NET_WM_STATE", False);
  g.fullscreen = XInternAtom(g.display, "_NET_WM_STATE_FULLSCREEN", False);
  g.stop = false;
  g.answered = false;
  // Requests to a window manager are sent to the root window for whoever
  // selects substructure events there; the selection is in place before
  // the window is shown, so the request cannot pass unseen.
  XSelectInput(g.display, DefaultRootWindow(g.display), SubstructureNotifyMask);
  XResizeWindow(g.display, g.window, g.width, g.height - 1);
  XSync(g.display, False);
  g.listener = std::thread(Listen);
}

void FinishFullscreenAnswer() {
  if (g.display == nullptr) return;
  g.stop = true;
  if (g.listener.joinable()) g.listener.join();
  if (!g.answered) GiveFullSize();
  XCloseDisplay(g.display);
  g.display = nullptr;
}

}  // namespace oruna
