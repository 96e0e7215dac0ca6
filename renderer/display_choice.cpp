// The display rule of display_choice.h, free of any system call.
#include "display_choice.h"

namespace oruna {

DisplayKind ChooseDisplay(bool x_display, bool wayland_display, bool x11_only) {
  if (x11_only) return x_display ? DisplayKind::X11 : DisplayKind::NoDisplay;
  if (wayland_display) return DisplayKind::Wayland;
  return x_display ? DisplayKind::X11 : DisplayKind::NoDisplay;
}

}  // namespace oruna
