// The renderer's SDL window inside a screen-saver host's window.
#pragma once
#include <SDL.h>

namespace oruna {

// Makes the child window that covers the host's window and hands it to SDL
// for OpenGL. Null when the host's window is not usable.
SDL_Window* AdoptHostChildWindow(const char* title, int bits);

// Keeps the view on the host window's size. False once the host's window has
// gone, when the renderer must end. Always true outside a host window.
bool FollowHostWindow();

}  // namespace oruna
