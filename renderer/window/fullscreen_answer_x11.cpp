// The renderer's stand-in for a window manager's answer to its full-screen
// request (Linux/X11): a listener thread on a connection of its own, started
// only where no window manager runs. Why it exists and why it takes a thread,
// a connection and a one-row shrink: fullscreen_answer_x11.h.
#include "fullscreen_answer_x11.h"

#include <X11/Xlib.h>
#include <poll.h>

#include <atomic>
#include <thread>

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

}  // namespace

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
