// renderer/window: the renderer's window, display mode, GL context and loop.
//
// Covers: the window "Oruna_VC", the 1024x768 mode change with its silent
// windowed fallback, the double-buffered context with a 16-bit depth buffer,
// the loop (key table, active flag, frame pacing where the swap does not
// wait) and the ordered teardown, one file per platform (window_sdl: SDL2 on
// X11; window_win32: Win32 and WGL), and each platform's main. On X11 also
// the renderer's own answer to its full-screen request where no window
// manager runs (fullscreen_answer_x11) and the GL driver kept loaded through
// the teardown (loaded_modules).
// Limits: one window per process; the only part that owns a window, a loop or
// the display mode. The scene is drawn through scene.h, the desktop around
// the window through monitor_cover.h and host_child_window_sdl.h.
// Depends on: every other part of the renderer, SDL2 and Xlib or Win32/WGL.
#pragma once

namespace oruna {

// Requests the display mode width x height x bits when `fullscreen` is set,
// falling back silently to a window of that client size; creates the window
// titled `title`, a double-buffered RGBA context with a 16-bit depth buffer,
// sets the view and the scene up. On failure everything achieved is undone.
bool CreateRendererWindow(const char* title, int width, int height, int bits, bool fullscreen);

// Undoes whatever CreateRendererWindow achieved, in reverse order: display
// mode and cursor, context, window, windowing system. Safe after a partial
// set-up.
void DestroyRendererWindow();

// Draws and presents frames until Escape or a close request, paced to the
// display's refresh where the swap does not wait for it, and sleeping until
// the next event while the window is inactive; returns the exit code.
int RunRendererLoop();

// The loop's state, visible for tests.
bool RendererFullscreen();
bool RendererActive();

}  // namespace oruna
