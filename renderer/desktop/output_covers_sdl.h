// Black full-screen surfaces on every output but the renderer's, where the
// display system places windows per output (Wayland): the counterpart of the
// X11 covers of monitor_cover.h, which black out rectangles of one desktop.
// Limits: drawn once, with the renderer's own GL context (the covers are
// made with the same attributes); an output added during the run stays
// uncovered. Each cover is an SDL window, so its keys and close requests
// reach the renderer's loop like the renderer window's own.
// Depends on: SDL2's display list and windows, OpenGL.
#pragma once
#include <SDL.h>

namespace oruna {

// Covers every display other than `renderer`'s with a black full-screen
// window, painted with `context`; leaves no context current.
void CoverOtherOutputs(SDL_Window* renderer, SDL_GLContext context);

// Destroys the covers; safe when there are none.
void RemoveOutputCovers();

}  // namespace oruna
