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
//
// Also here: reading a window manager's answer that is not the mode's size
// (OutputSizedFullscreen) and where the window really is (WindowAreaOnRoot).
#pragma once
#include <X11/Xlib.h>

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

// Where `window`'s inside is on the root window, as the server has it now
// (a window manager may have placed it elsewhere than asked). False when
// the window cannot be read.
bool WindowAreaOnRoot(Display* display, unsigned long window, int& x, int& y, int& width, int& height);

// True when the server only emulates the mode `width` x `height` for the
// client of `window` and says so on it (XWayland's
// _XWAYLAND_RANDR_EMU_MONITOR_RECTS names the emulated area): the output
// itself keeps its own mode.
bool ModeEmulated(Display* display, unsigned long window, int width, int height);

// True when `window` was made full screen at the size of the output it is
// on although the mode asked for was `width` x `height`: the server only
// emulates the mode for the renderer (XWayland, which says so on the window
// in _XWAYLAND_RANDR_EMU_MONITOR_RECTS, naming that size), and the window
// manager answered the full-screen request (_NET_WM_STATE_FULLSCREEN) by
// giving the window its output's area, origin and size, instead of the
// emulated size (weston does). The whole output then shows the scene. On a
// server that changes modes for real, a window the manager stretched over a
// monitor that kept its mode is a refused change and gives false.
bool OutputSizedFullscreen(Display* display, unsigned long window, int width, int height);

}  // namespace oruna
