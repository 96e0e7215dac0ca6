// Renderer window on Linux/X11 through SDL2: display-mode change with a silent
// windowed fallback, the GL context, the never-waiting draw loop with its
// 256-entry key table and active flag, and the ordered teardown.
#include <SDL.h>

#include "loaded_modules.h"
#include "renderer_window.h"
#include "scene.h"

namespace oruna {
namespace {

constexpr int kEscape = 27;  // SDL keycodes of ASCII keys equal the key codes

struct RendererState {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  bool video_started = false;
  bool fullscreen = true;
  bool active = true;
  bool keys[256] = {};
  // A press and its release can both arrive between two idle passes (a quick
  // tap while a slow frame is drawn); the table alone would then never show
  // Escape as held. The press is remembered until an idle pass has seen it.
  bool escape_pressed = false;
};
RendererState g;

// A mode change is only attempted when the display offers exactly the size.
bool FindFullscreenMode(int width, int height, SDL_DisplayMode& mode) {
  SDL_DisplayMode want{SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
  if (SDL_GetClosestDisplayMode(0, &want, &mode) == nullptr) return false;
  return mode.w == width && mode.h == height && SDL_BYTESPERPIXEL(mode.format) == 4;
}

SDL_Window* CreateWindowForMode(const char* title, int width, int height) {
  SDL_DisplayMode mode{};
  if (g.fullscreen && !FindFullscreenMode(width, height, mode)) g.fullscreen = false;
  const Uint32 base = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (g.fullscreen) {
    SDL_Window* w = SDL_CreateWindow(title, 0, 0, width, height, base | SDL_WINDOW_FULLSCREEN);
    if (w != nullptr && SDL_SetWindowDisplayMode(w, &mode) == 0) return w;
    if (w != nullptr) SDL_DestroyWindow(w);
    g.fullscreen = false;  // refused: carry on in a window, without a word
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
    case SDL_WINDOWEVENT_MINIMIZED: g.active = false; break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_SHOWN: g.active = true; break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: ResizeToDrawable(); break;
    default: break;
  }
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

}  // namespace

bool RendererFullscreen() { return g.fullscreen; }
bool RendererActive() { return g.active; }

bool CreateRendererWindow(const char* title, int width, int height, int bits, bool fullscreen) {
  g.fullscreen = fullscreen;
  // A screen saver covers the screen until told otherwise: losing focus must
  // not minimise it, and SDL must not print anything on its own.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return false;
  g.video_started = true;
  SetGlAttributes(bits);
  g.window = CreateWindowForMode(title, width, height);
  if (g.window != nullptr && CreateContext()) {
    if (g.fullscreen) SDL_ShowCursor(SDL_DISABLE);
    SDL_ShowWindow(g.window);
    SDL_RaiseWindow(g.window);
    ResizeToDrawable();
    if (InitScene()) return true;
  }
  DestroyRendererWindow();
  return false;
}

void DestroyRendererWindow() {
  if (g.fullscreen && g.window != nullptr) {
    SDL_SetWindowFullscreen(g.window, 0);  // back to the desktop's own mode
    SDL_ShowCursor(SDL_ENABLE);
  }
  if (g.context != nullptr) {
    SDL_GL_MakeCurrent(g.window, nullptr);
    SDL_GL_DeleteContext(g.context);
    g.context = nullptr;
  }
  if (g.window != nullptr) {
    SDL_DestroyWindow(g.window);
    g.window = nullptr;
  }
  if (g.video_started) {
    SDL_Quit();
    g.video_started = false;
  }
}

int RunRendererLoop() {
  for (;;) {
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
      if (!HandleEvent(event)) return 0;
      continue;
    }
    if (g.active) DrawFrame();
    // Checked on every idle pass, so Escape works even while minimised.
    if (g.keys[kEscape] || g.escape_pressed) return 0;
    SDL_GL_SwapWindow(g.window);
  }
}

}  // namespace oruna
