// Renderer window on Linux through SDL2 (X11; on Wayland the full-screen
// surface of window_wayland_sdl): display-mode change with a silent
// windowed fallback, the GL context, the draw loop (paced to the display
// where the swap does not wait, sleeping while the window is inactive) with
// its 256-entry key table and active flag, waiting instead of drawing while
// the monitor is powered down, and the ordered teardown.
#include <SDL.h>
#include <SDL_syswm.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>

#include "display_choice.h"
#include "display_power_x11.h"
#include "frame_pacer.h"
#include "fullscreen_answer_x11.h"
#include "host_child_window_sdl.h"
#include "host_child_window_x11.h"
#include "loaded_modules.h"
#include "message_box_sdl.h"
#include "monitor_cover.h"
#include "no_display_x11.h"
#include "renderer_window.h"
#include "scene.h"
#include "shown_report.h"
#include "window_wayland_sdl.h"

namespace oruna {
namespace {

constexpr int kEscape = 27;  // SDL keycodes of ASCII keys equal the key codes
constexpr const char* kProgramName = "Oruna.dll";  // how the renderer signs what it says

struct RendererState {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool video_started = false;
  // Set once the window shows in the requested display mode (with the
  // cursor hidden): what the teardown gives back.
  bool fullscreen = false;
  // Set when the server only emulates that mode for the renderer (XWayland).
  bool mode_emulated = false;
  bool active = true;
  bool keys[256] = {};
  // A press and its release can both arrive between two idle passes (a quick
  // tap while a slow frame is drawn); the table alone would then never show
  // Escape as held. The press is remembered until an idle pass has seen it.
  bool escape_pressed = false;
  DarkScreenWatch dark_screen;  // monitor off, in standby or suspended: nothing is drawn
};
RendererState g;

// A mode change is only attempted when the display offers exactly the size.
bool FindFullscreenMode(int width, int height, SDL_DisplayMode& mode) {
  SDL_DisplayMode want{SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
  if (SDL_GetClosestDisplayMode(0, &want, &mode) == nullptr) return false;
  return mode.w == width && mode.h == height && SDL_BYTESPERPIXEL(mode.format) == 4;
}

// Creates the hidden window: with SDL's full-screen request for the mode
// when `fullscreen_requested` and the display offers it (`created_fullscreen`
// then tells so), else, or when SDL refuses it, a plain window of that
// client size, without a word.
SDL_Window* CreateWindowForMode(const char* title, int width, int height, bool fullscreen_requested,
                                bool& created_fullscreen) {
  created_fullscreen = false;
  SDL_DisplayMode mode{};
  // Borderless: a window manager gives the windowed fallback no frame or title.
  const Uint32 base = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
  if (fullscreen_requested && FindFullscreenMode(width, height, mode)) {
    SDL_Window* w = SDL_CreateWindow(title, 0, 0, width, height, base | SDL_WINDOW_FULLSCREEN);
    created_fullscreen = w != nullptr && SDL_SetWindowDisplayMode(w, &mode) == 0;
    if (created_fullscreen) return w;
    if (w != nullptr) SDL_DestroyWindow(w);
  }
  return SDL_CreateWindow(title, 0, 0, width, height, base);
}

// The viewport follows the real drawable, whatever the mode change achieved.
void ResizeToDrawable() {
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(g.window, &w, &h);
  ResizeView(w, h);
}

void HandleWindowEvent(const SDL_WindowEvent& e) {
  switch (e.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN: g.active = false; break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN: g.active = true; break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: ResizeToDrawable(); break;
    default: break;
  }
}

// The view follows the host's window; false once that window has gone.
bool FollowHostWindowSize() {
  int width = 0, height = 0;
  const HostWindowChange change = FollowHostWindow(width, height);
  if (change == HostWindowChange::Resized) ResizeView(width, height);
  return change != HostWindowChange::Gone;
}

// Returns false when the loop must finish (a close request).
bool HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: return false;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) return false;
      HandleWindowEvent(e.window);
      return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (e.key.keysym.sym >= 0 && e.key.keysym.sym < 256) g.keys[e.key.keysym.sym] = e.type == SDL_KEYDOWN;
      if (e.type == SDL_KEYDOWN && e.key.keysym.sym == kEscape) g.escape_pressed = true;
      return true;
    default: return true;
  }
}

// SDL applies a full-screen mode only when the window is shown; on a hidden
// window it merely stores the request. So the mode is checked once shown: a
// display that refused it leaves another mode, or a window of another size.
bool FullscreenModeHolds(int width, int height) {
  SDL_DisplayMode current{};
  const int display = SDL_GetWindowDisplayIndex(g.window);
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &current) != 0) return false;
  int w = 0, h = 0;
  SDL_GetWindowSize(g.window, &w, &h);
  return current.w == width && current.h == height && w == width && h == height;
}

// The windowed fallback after a refusal that came only at showing time: the
// same window, out of full screen, with the requested client size at the
// screen's top-left corner, and the cursor shown again.
void FallBackToWindow(int width, int height) {
  SDL_ShowCursor(SDL_ENABLE);
  SDL_SetWindowFullscreen(g.window, 0);
  SDL_SetWindowSize(g.window, width, height);
  SDL_SetWindowPosition(g.window, 0, 0);
}

// The display's refresh rate, 0 when it is not known.
int RefreshRate() {
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(g.window);
  if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
  return mode.refresh_rate;
}

// The window's X display and id; false when SDL does not draw through X11.
bool X11Info(SDL_SysWMinfo& info) {
  SDL_VERSION(&info.version);
  return SDL_GetWindowWMInfo(g.window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11;
}

// Unmaps the window behind SDL's back; SDL, asking the server, then treats it
// as not shown.
void UnmapWindow() {
  SDL_SysWMinfo info;
  if (!X11Info(info)) return;
  XUnmapWindow(info.info.x11.display, info.info.x11.window);
  XSync(info.info.x11.display, False);
}

bool CreateContext() {
  g.context = SDL_GL_CreateContext(g.window);
  if (g.context == nullptr || SDL_GL_MakeCurrent(g.window, g.context) != 0) return false;
  // The GL driver is loaded now; it stays mapped through the teardown.
  KeepLoadedModulesUntilExit();
  SDL_GL_SetSwapInterval(1);  // vsync where offered; a refusal changes nothing
  return true;
}

void SetGlAttributes(int bits) {
  const int channel = bits >= 24 ? 8 : 5;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// The renderer's area as it should be: its display in full screen, else the
// requested client area at the top-left corner.
ScreenRect IntendedArea(int width, int height) {
  SDL_Rect bounds;
  if (g.fullscreen && SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(g.window), &bounds) == 0)
    return {bounds.x, bounds.y, bounds.w, bounds.h};
  return {0, 0, width, height};
}

// Blacks out every monitor around the renderer's area where it really is:
// a window manager may place the windowed fallback elsewhere than the corner
// it asked for (weston does), and covers that assumed the corner would leave
// the desktop showing; one that stretched a full-screen window over its
// output (OutputSizedFullscreen) draws beyond the emulated mode's bounds.
// The server's answer counts once it is in: in a window the requested size,
// in full screen at least the display's area. Until then the intended area
// does (a manager still busy with the fallback's move).
void CoverTheRest(int width, int height) {
  SDL_SysWMinfo info;
  if (!X11Info(info)) return;
  ScreenRect drawn = IntendedArea(width, height);
  ScreenRect real;
  if (WindowAreaOnRoot(info.info.x11.display, info.info.x11.window, real.x, real.y, real.width, real.height)) {
    const bool settled = g.fullscreen ? real.width >= drawn.width && real.height >= drawn.height
                                      : real.width == width && real.height == height;
    if (settled) drawn = real;
  }
  CoverOtherMonitors({info.info.x11.window, info.info.x11.display}, drawn, g.fullscreen);
}

// Watches the monitor's power level on the window's X connection.
void StartDarkScreenWatch() {
  SDL_SysWMinfo info;
  if (X11Info(info)) g.dark_screen.Start(info.info.x11.display);
}

// A hang-up (the terminal or session that started the renderer going away)
// ends it as SIGTERM does, through the teardown that gives the desktop its
// display mode back; by default it would kill the renderer on the spot. A
// hang-up ignored from the start (nohup) stays ignored.
void EndOnHangUp() {
  struct sigaction current {};
  if (sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = [](int) { raise(SIGTERM); };
  sigemptyset(&action.sa_mask);
  sigaction(SIGHUP, &action, nullptr);
}

// Shows the window in front. In full screen SDL waits for a window manager
// to answer; where none runs, the renderer answers itself.
void ShowInFront(int width, int height, bool created_fullscreen) {
  SDL_SysWMinfo info;
  if (created_fullscreen && X11Info(info))
    StartFullscreenAnswer(DisplayString(info.info.x11.display), info.info.x11.window, width, height);
  SDL_ShowWindow(g.window);
  FinishFullscreenAnswer();
  SDL_RaiseWindow(g.window);
}

// A window manager on a server that only emulates modes (XWayland) may
// answer the full-screen request with the output's own size: the scene is
// then drawn over the whole output at that size, which is full screen.
bool FullscreenAtOutputSize(int width, int height) {
  SDL_SysWMinfo info;
  return X11Info(info) && OutputSizedFullscreen(info.info.x11.display, info.info.x11.window, width, height);
}

// Shows the window made by CreateWindowForMode. A window created for full
// screen gets its mode only now, and the display may still refuse it; then
// it becomes the windowed fallback. True when the window shows full screen.
bool ShowWindowForMode(int width, int height, bool created_fullscreen) {
  if (created_fullscreen) SDL_ShowCursor(SDL_DISABLE);
  ShowInFront(width, height, created_fullscreen);
  if (!created_fullscreen) return false;
  if (FullscreenModeHolds(width, height) || FullscreenAtOutputSize(width, height)) {
    SDL_SysWMinfo info;
    g.mode_emulated = X11Info(info) && ModeEmulated(info.info.x11.display, info.info.x11.window, width, height);
    return true;
  }
  FallBackToWindow(width, height);
  return false;
}

}  // namespace

bool RendererFullscreen() { return g.fullscreen; }
bool RendererActive() { return g.active; }

bool CreateRendererWindow(const char* title, int width, int height, int bits, bool fullscreen) {
  g.fullscreen = fullscreen;
  // A screen saver covers the screen until told otherwise: losing focus must
  // not minimise it. SDL's own handlers stay: they turn SIGTERM and SIGINT
  // (the saver ends its renderer with SIGTERM) into a close request, so the
  // teardown gives the desktop its display mode and cursor back.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  // X11 or Wayland, as the saver chose, and nothing else: without a display,
  // SDL would otherwise settle for another driver (off-screen, console) and
  // draw, unseen and unstoppable, forever.
  // Inside a host's window the host owns the screen, cursor and keyboard.
  const bool hosted = RendererInHostWindow();
  const bool on_wayland = SessionDisplay(hosted) == DisplayKind::Wayland;
  if (on_wayland && !WaylandSeatOffered()) {
    std::fprintf(stderr, "%s: the Wayland compositor offers no input seat; nothing is shown\n", kProgramName);
    return false;
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, on_wayland ? "wayland" : "x11");
  // SDL connects to the session's message bus at start. In a session without
  // one, the bus library would launch a bus daemon for the display, which
  // stays running after the renderer has ended (and costs the start its
  // launch); the renderer needs no service from a bus that nobody else uses.
  const char* bus = getenv("DBUS_SESSION_BUS_ADDRESS");
  if (bus == nullptr || *bus == '\0') setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
  // SDL's default keeps the screen awake: on X11 it suspends the server's
  // screen saver (and its power-saving timers) and asks the session bus to
  // inhibit it, on Wayland it holds an idle inhibitor on its surface. Alone
  // on X11 the renderer is the screen saver and keeps that. Not in a host's
  // window: the host blanks and powers down the monitor on its own schedule.
  // Not on Wayland: the idle daemon that started the run would never see the
  // user come back (no resume), nor blank or power down after it.
  if (hosted || on_wayland) SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // What the bus's inhibit request names, where a desktop lists who keeps
  // the screen awake (SDL's default is "My SDL application", "Playing a game").
  SDL_SetHint(SDL_HINT_APP_NAME, "Oruna");
  SDL_SetHint(SDL_HINT_SCREENSAVER_INHIBIT_ACTIVITY_NAME, "Showing the Oruna screen saver");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    if (on_wayland)
      std::fprintf(stderr, "%s: cannot open the Wayland display: %s\n", kProgramName, SDL_GetError());
    else
      ReportUnreachableDisplay(kProgramName);
    return false;
  }
  g.video_started = true;
  EndOnHangUp();
  SetGlAttributes(bits);
  const bool fullscreen_requested = fullscreen && !hosted;
  bool created_fullscreen = false;
  // On Wayland a full-screen surface at the output's size takes the mode
  // change's place; a windowed run stays a window.
  const bool wayland_fullscreen = fullscreen_requested && UsingWaylandDriver();
  if (wayland_fullscreen)
    g.window = CreateWaylandWindow(title);
  else
    g.window = hosted ? AdoptHostChildWindow(title, bits)
                      : CreateWindowForMode(title, width, height, fullscreen_requested, created_fullscreen);
  SetMessageBoxOwner(g.window);  // bad bitmaps are reported in front of it
  if (g.window != nullptr && CreateContext()) {
    if (wayland_fullscreen) {
      ShowWaylandWindow(g.window, g.context);
      g.fullscreen = false;  // no display mode to give back
    } else if (!hosted) {
      g.fullscreen = ShowWindowForMode(width, height, created_fullscreen);
    }
    ResizeToDrawable();
    StartDarkScreenWatch();
    if (InitScene()) {
      if (!hosted && !wayland_fullscreen) CoverTheRest(width, height);  // a host covers its screen itself
      return true;
    }
  }
  DestroyRendererWindow();
  return false;
}

void DestroyRendererWindow() {
  RemoveMonitorCovers();
  DestroyWaylandSurfaces();
  g.dark_screen.Stop();
  if (g.fullscreen && g.window != nullptr) {
    // Back to the desktop's own mode. The window is unmapped first: on a
    // mapped window SDL waits up to 100 ms for a window manager to answer the
    // end of full screen (an answer that never comes without one), and the
    // window is going anyway.
    // Not so where the server only emulates the mode: XWayland 22 under
    // weston crashes, now and then, when the full-screen window is unmapped
    // before the mode is given back (seen here), and there a window manager
    // always runs to answer.
    if (!g.mode_emulated) UnmapWindow();
    SDL_SetWindowFullscreen(g.window, 0);
    SDL_ShowCursor(SDL_ENABLE);
    g.fullscreen = false;
    g.mode_emulated = false;
  }
  if (g.context != nullptr) {
    SDL_GL_MakeCurrent(g.window, nullptr);
    SDL_GL_DeleteContext(g.context);
    g.context = nullptr;
  }
  if (g.window != nullptr) {
    SetMessageBoxOwner(nullptr);
    SDL_DestroyWindow(g.window);
    g.window = nullptr;
  }
  DestroyHostChildWindow();  // an adopted window is ours to destroy
  if (g.video_started) {
    SDL_Quit();
    g.video_started = false;
  }
}

int RunRendererLoop() {
  FramePacer pacer(RefreshRate());
  for (;;) {
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      if (!HandleEvent(event)) return 0;
      continue;
    }
    // Checked on every idle pass, so Escape works even while minimised; and
    // before drawing, so that the user does not wait for a frame nobody sees.
    if (g.keys[kEscape] || g.escape_pressed) return 0;
    if (!FollowHostWindowSize()) return 0;
    if (!g.active) {
      SDL_WaitEvent(nullptr);  // nothing to show: sleep until something happens
      continue;
    }
    if (!WaylandFrameDue()) {
      // The compositor has not asked for a frame: it does not show the
      // surface, or not yet. Its answer wakes the wait; the timeout keeps a
      // signal's close request from waiting on a compositor that never asks.
      SDL_WaitEventTimeout(nullptr, 250);
      continue;
    }
    const auto start = FramePacer::Clock::now();
    g.dark_screen.Poll(start);
    if (g.dark_screen.dark()) {
      // No event tells that the monitor is back: sleep until the next look
      // at its power level; events (Escape, a close request, SIGTERM) still
      // end the wait.
      SDL_WaitEventTimeout(nullptr, std::max(1, WaitMilliseconds(g.dark_screen.next_ask() - start)));
      continue;
    }
    if (const int wait_ms = WaitMilliseconds(pacer.TimeToNextFrame(start)); wait_ms > 0) {
      SDL_WaitEventTimeout(nullptr, wait_ms);  // events (Escape) still end the wait
      continue;
    }
    DrawFrame();
    if (UsingWaylandDriver()) RequestWaylandFrame(g.window);
    SDL_GL_SwapWindow(g.window);
    if (!UsingWaylandDriver()) ReportPictureShown();
    pacer.FrameDone(start, FramePacer::Clock::now());
  }
}

}  // namespace oruna
