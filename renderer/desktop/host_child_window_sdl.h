// The renderer's SDL window inside a screen-saver host's window.
#pragma once
#include <SDL.h>

#include "host_child_window_x11.h"

namespace oruna {

// Makes the child window that covers the host's window and hands it to SDL
// for OpenGL. Null when the host's window is not usable.
SDL_Window* AdoptHostChildWindow(const char* title, int bits);

// What the host's window did since the last call: Resized fills `width` and
// `height` with its new size (the child window already follows it), Gone
// means the renderer must end. Always Same outside a host window.
HostWindowChange FollowHostWindow(int& width, int& height);

}  // namespace oruna
