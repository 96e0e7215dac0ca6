// Mouse cursor on X11 through the XFixes extension; without the extension
// the cursor simply stays visible.
#include "cursor_x11.h"

#include <X11/extensions/Xfixes.h>

namespace oruna {
namespace {

bool HaveXFixes(Display* display) {
  int event_base = 0, error_base = 0;
  return XFixesQueryExtension(display, &event_base, &error_base) != 0;
}

}  // namespace

void HideCursorX11(Display* display) {
  if (display == nullptr || !HaveXFixes(display)) return;
  XFixesHideCursor(display, DefaultRootWindow(display));
  XFlush(display);
}

void ShowCursorX11(Display* display) {
  if (display == nullptr || !HaveXFixes(display)) return;
  XFixesShowCursor(display, DefaultRootWindow(display));
  XSync(display, False);
}

}  // namespace oruna
