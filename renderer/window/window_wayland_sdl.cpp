// The Wayland side of the renderer's window (see window_wayland_sdl.h). The
// frame requests are made on the window's own wl_surface, in the queue SDL
// dispatches whenever it reads events, so their answers arrive in the
// renderer's one thread while it polls or waits for SDL events.
#include "window_wayland_sdl.h"

#include <SDL_syswm.h>
#include <wayland-client.h>

#include <cstring>

#include "output_covers_sdl.h"
#include "shown_report.h"

namespace oruna {
namespace {

struct FrameGate {
  wl_callback* pending = nullptr;
  bool swapped = false;  // a frame has been swapped since the start
};
FrameGate g_gate;

void OnFrameDone(void*, wl_callback* callback, uint32_t) {
  wl_callback_destroy(callback);
  if (callback == g_gate.pending) g_gate.pending = nullptr;
  // The compositor asks for a frame after the first: it has shown that one.
  if (g_gate.swapped) ReportPictureShown();
  SDL_Event wake{};
  wake.type = SDL_USEREVENT;
  SDL_PushEvent(&wake);
}
const wl_callback_listener kFrameListener = {OnFrameDone};

wl_surface* SurfaceOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_WAYLAND) return nullptr;
  return info.info.wl.surface;
}

void OnGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
  if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(data) = true;
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

}  // namespace

bool WaylandSeatOffered() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return false;
  bool seat = false;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistryListener, &seat);
  wl_display_roundtrip(display);
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return seat;
}

bool UsingWaylandDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "wayland") == 0;
}

SDL_Window* CreateWaylandWindow(const char* title) {
  SDL_Rect bounds{0, 0, 1024, 768};
  SDL_GetDisplayBounds(0, &bounds);
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP;
  return SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED_DISPLAY(0), SDL_WINDOWPOS_CENTERED_DISPLAY(0), bounds.w,
                          bounds.h, flags);
}

void ShowWaylandWindow(SDL_Window* window, SDL_GLContext context) {
  SDL_ShowCursor(SDL_DISABLE);  // SDL applies it on every surface the pointer enters
  SDL_ShowWindow(window);       // returns once the compositor has configured it
  SDL_RaiseWindow(window);
  CoverOtherOutputs(window, context);
  SDL_GL_MakeCurrent(window, context);
}

bool WaylandFrameDue() { return g_gate.pending == nullptr; }

void RequestWaylandFrame(SDL_Window* window) {
  wl_surface* surface = SurfaceOf(window);
  if (surface == nullptr) return;
  g_gate.swapped = true;
  if (g_gate.pending != nullptr) return;
  g_gate.pending = wl_surface_frame(surface);
  wl_callback_add_listener(g_gate.pending, &kFrameListener, nullptr);
}

void DestroyWaylandSurfaces() {
  if (g_gate.pending != nullptr) wl_callback_destroy(g_gate.pending);
  g_gate = FrameGate{};
  RemoveOutputCovers();
}

}  // namespace oruna
