// The renderer's window on a Wayland compositor, through SDL's Wayland
// driver: a full-screen surface on the output it starts on (Wayland has no
// mode change: the scene is drawn at the output's size), black full-screen
// surfaces on every other output, the pointer hidden over all of them, and
// frames drawn only when the compositor asks for one (its frame callbacks),
// so that nothing is drawn while it does not show the surface.
// Limits: only for SDL's "wayland" video driver; a compositor decides how
// far above its panels a full-screen surface goes. The loop, the scene and
// the teardown order stay with window_sdl.cpp.
// Depends on: SDL2 (its Wayland window info), libwayland-client, the covers
// (output_covers_sdl.h) and the shown report (shown_report.h).
#pragma once
#include <SDL.h>

namespace oruna {

// True when SDL draws through its Wayland driver.
bool UsingWaylandDriver();

// True when the compositor of $WAYLAND_DISPLAY offers an input seat. SDL
// 2.26's Wayland driver crashes in its start-up on a compositor without one
// (headless weston), and such a compositor could not pass on an Escape
// anyway; asked before SDL starts, over a connection of its own.
bool WaylandSeatOffered();

// The hidden full-screen window on the first output, for an OpenGL context.
SDL_Window* CreateWaylandWindow(const char* title);

// Shows `window` full screen with the pointer hidden and covers the other
// outputs, painting them black with `context`, which is current on
// `window` again afterwards.
void ShowWaylandWindow(SDL_Window* window, SDL_GLContext context);

// Whether the compositor wants the next frame: true before the first swap
// and whenever it has answered the frame request made with the last swap.
// An answer also pushes an SDL event, so that a waiting loop wakes up.
bool WaylandFrameDue();

// Asks the compositor to say when it wants the frame after the one about to
// be swapped; call right before each swap.
void RequestWaylandFrame(SDL_Window* window);

// Removes the covers and forgets a pending frame request; safe when none.
void DestroyWaylandSurfaces();

}  // namespace oruna
