// Which display system a program of Oruna's talks to on Linux: X11 or
// Wayland. Both programs make the same choice from the same environment, so
// that the saver, its settings dialog and the renderer of one run always end
// up on the same display.
// Limits: decides only; opens no connection. A Wayland display counts when
// its socket exists, an X display whenever $DISPLAY names one.
// Depends on: the environment (display_choice_posix.cpp); the rule itself
// is portable.
#pragma once

namespace oruna {

enum class DisplayKind { NoDisplay, X11, Wayland };  // not "None": Xlib defines it

// The rule. `x_display` and `wayland_display` say whether $DISPLAY names a
// display and whether $WAYLAND_DISPLAY names a compositor whose socket
// exists. `x11_only` is set for what only X11 can do: drawing inside a
// screen-saver host's window ($XSCREENSAVER_WINDOW) and the preview (/p),
// both of which name an X window. Otherwise a Wayland compositor is
// preferred where both exist: there the picture is the compositor's own
// full-screen surface at the output's size, where through XWayland it is an
// emulated mode change.
DisplayKind ChooseDisplay(bool x_display, bool wayland_display, bool x11_only);

// The rule applied to this process's environment.
DisplayKind SessionDisplay(bool x11_only);

}  // namespace oruna
