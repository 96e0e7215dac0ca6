// The window that owns the renderer's error boxes on Linux.
#pragma once

#include <SDL.h>

namespace oruna {

// Error boxes shown from now on are owned by `window` (nullptr: by whatever
// window has the keyboard focus), so that a window manager keeps them in
// front of it and gives them the focus.
void SetMessageBoxOwner(SDL_Window* window);

}  // namespace oruna
