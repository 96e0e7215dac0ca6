// Telling a missing X display from the renderer's other failed starts.
#include "no_display_x11.h"

#include <X11/Xlib.h>

#include <cstdio>

namespace oruna {

bool ReportUnreachableDisplay(const char* program) {
  // SDL does not say why its X11 driver was not available: a second attempt
  // of our own tells whether it was the display.
  if (Display* display = XOpenDisplay(nullptr)) {
    XCloseDisplay(display);
    return false;
  }
  const char* name = XDisplayName(nullptr);  // $DISPLAY, or "" when unset
  if (name == nullptr || *name == '\0')
    std::fprintf(stderr, "%s: cannot open the X display: DISPLAY is not set\n", program);
  else
    std::fprintf(stderr, "%s: cannot open the X display \"%s\"\n", program, name);
  return true;
}

}  // namespace oruna
