// The output covers of output_covers_sdl.h.
#include "output_covers_sdl.h"

#include <SDL_opengl.h>

#include <vector>

namespace oruna {
namespace {

std::vector<SDL_Window*> g_covers;

SDL_Window* CreateCover(int display) {
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display, &bounds) != 0) return nullptr;
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP;
  return SDL_CreateWindow("Oruna", SDL_WINDOWPOS_CENTERED_DISPLAY(display), SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                          bounds.w, bounds.h, flags);
}

void PaintBlack(SDL_Window* cover, SDL_GLContext context) {
  if (SDL_GL_MakeCurrent(cover, context) != 0) return;
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapWindow(cover);
}

}  // namespace

void CoverOtherOutputs(SDL_Window* renderer, SDL_GLContext context) {
  const int own = SDL_GetWindowDisplayIndex(renderer);
  for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
    if (display == own) continue;
    SDL_Window* cover = CreateCover(display);
    if (cover == nullptr) continue;
    g_covers.push_back(cover);
    PaintBlack(cover, context);
  }
  SDL_GL_MakeCurrent(renderer, nullptr);
}

void RemoveOutputCovers() {
  for (SDL_Window* cover : g_covers) SDL_DestroyWindow(cover);
  g_covers.clear();
}

}  // namespace oruna
