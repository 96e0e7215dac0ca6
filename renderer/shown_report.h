// "The picture is shown": the renderer's word to the saver that started it.
// The saver watches a run's renderer until it shows its picture (and ends
// one that never does, at its start deadline). On X11 it sees the
// renderer's window "Oruna_VC" by its title; Wayland has no window titles
// another client can see, so the saver also hands the renderer the write
// end of a pipe, named by its descriptor number in $ORUNA_SHOWN_FD, and the
// renderer writes one byte to it once its first frame is on the screen
// (X11: after the first swap; Wayland: when the compositor asks for the
// frame after the first, so it has shown the first). The renderer then
// closes it; the pipe closing without a byte means the renderer ended first.
// Limits: Linux only (Windows uses window titles); one report per process.
// Depends on: the environment and the descriptor the saver left open.
#pragma once

namespace oruna {

inline constexpr const char* kShownFdVariable = "ORUNA_SHOWN_FD";

// Writes the byte once and closes the descriptor; later calls, and a run
// without the variable, do nothing.
void ReportPictureShown();

}  // namespace oruna
