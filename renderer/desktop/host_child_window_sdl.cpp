// SDL side of the host window: SDL adopts the child window made on our own
// connection (SDL then selects no input on it, so pointer and keys reach the
// host), and the host window's size changes from our connection's events,
// since SDL sees none for an adopted window.
#include "host_child_window_sdl.h"

#include <cstdint>

namespace oruna {

SDL_Window* AdoptHostChildWindow(const char* title, int bits) {
  int width = 0, height = 0;
  const unsigned long child = CreateHostChildWindow(title, bits, width, height);
  if (child == 0) return nullptr;
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
  // An X window id is passed by value in the pointer, as SDL expects.
  return SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(child)));
}

HostWindowChange FollowHostWindow(int& width, int& height) {
  if (!RendererInHostWindow()) return HostWindowChange::Same;
  return PollHostWindow(width, height);
}

}  // namespace oruna
