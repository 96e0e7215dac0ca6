// The test GL context on Linux: an SDL window on a private Xvfb.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <memory>

#include "gl_test_context.h"
#include "test_support.h"

namespace oruna::test {
namespace {

// Window and context go before the X server does. SDL itself is not shut
// down: that would unload the GL driver before the leak checker runs, and
// its process-lifetime allocations could then no longer be told apart.
struct GlTestWindow {
  XvfbServer xvfb;
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  ~GlTestWindow() {
    if (context != nullptr) SDL_GL_DeleteContext(context);
    if (window != nullptr) SDL_DestroyWindow(window);
  }
};

std::unique_ptr<GlTestWindow> g_window;

}  // namespace

bool UseGlContext() {
  if (!g_window) {
    g_window = std::make_unique<GlTestWindow>();
    if (!g_window->xvfb.ok() || SDL_Init(SDL_INIT_VIDEO) != 0) return false;
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    g_window->window = SDL_CreateWindow("gl test", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (g_window->window == nullptr) return false;
    g_window->context = SDL_GL_CreateContext(g_window->window);
  }
  return g_window->context != nullptr && SDL_GL_MakeCurrent(g_window->window, g_window->context) == 0;
}

}  // namespace oruna::test
