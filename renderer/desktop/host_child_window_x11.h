// The renderer inside a screen-saver host's window (Linux/X11): a child
// window of ours covers the host's window and follows its size; the host
// keeps the screen, the cursor and the keyboard.
#pragma once

namespace oruna {

// True when the host named a window for the renderer ($XSCREENSAVER_WINDOW
// set and not empty). The renderer then changes no display mode, hides no
// cursor, takes no keyboard, covers no other monitor, and ends when that
// window is not usable. Independent of call order: it reads the environment
// (once).
bool RendererInHostWindow();

// Creates, on a display connection of its own, a mapped child window titled
// `title` that covers the host's window, with a visual fit for a
// double-buffered RGBA context of `bits` colour bits and a 16-bit depth
// buffer, selecting no input (pointer and keys stay the host's). Returns its
// id and size, or 0 when the host's window does not exist or the child
// cannot be made.
unsigned long CreateHostChildWindow(const char* title, int bits, int& width, int& height);

// What became of the host's window since the last call.
enum class HostWindowChange { Same, Resized, Gone };
// Reads the pending events without waiting. On a resize the child has been
// resized to match and `width` and `height` hold the new size.
HostWindowChange PollHostWindow(int& width, int& height);

// Destroys the child window and closes the connection. Safe when nothing
// was created.
void DestroyHostChildWindow();

}  // namespace oruna
