// The window manager's answer to the renderer's full-screen request, given
// by the renderer itself on an X display where no window manager runs.
//
// Why it exists. On X11 a client does not make its window full screen by
// itself: it asks the window manager, with a _NET_WM_STATE client message
// to the root window, and the window manager answers by moving and resizing
// the window. SDL's SDL_ShowWindow, for a window made full screen, sends
// that request and then does not return until it sees the window's size or
// place change, or 100 ms have passed. Where no window manager runs (a bare
// X server, Xvfb, some kiosk set-ups) nobody answers, and every start loses
// those 100 ms before the first frame.
//
// How it answers. Something must resize the window while SDL_ShowWindow is
// still waiting, and the main thread is the one waiting inside it, so the
// answer comes from a thread of its own. That thread needs an X connection
// of its own: SDL's is SDL's, used by SDL's thread at that very moment, and
// one Xlib connection cannot serve two threads without locking that SDL does
// not ask for. And SDL waits for a *change*: the window already has the
// full-screen size, so giving it that size again would go unseen. The
// window is therefore made one row shorter before it is shown, and the
// answer gives it the full size back, which SDL sees at once.
#pragma once

namespace oruna {

// Starts the stand-in for the hidden `window` of `width` x `height` on the
// display `display_name`, when no window manager runs there. The window is
// made one row shorter until the answer, so that the answer is a change SDL
// sees. Does nothing when a window manager runs or on any failure.
void StartFullscreenAnswer(const char* display_name, unsigned long window, int width, int height);

// Stops the stand-in (within one poll interval) and gives the window its
// full size if the request never came (a refused mode change sends none).
// Safe when nothing was started.
void FinishFullscreenAnswer();

}  // namespace oruna
