// The window manager's answer to the renderer's full-screen request, given
// by the renderer itself on an X display where no window manager runs.
//
// SDL shows a full-screen window by asking the window manager for full
// screen and then polls up to 100 ms for the window to change: with no
// window manager, nobody answers and every start loses those 100 ms before
// the first frame. Where no window manager runs, a listener on a connection
// of its own waits for that request and answers it as a window manager
// would, by giving the window the full-screen size.
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
