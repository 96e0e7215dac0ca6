// The renderer's window, GL context and display mode: one per process.
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
