// Title look-up with a remembered window on X11. A remembered window that is
// gone or renamed falls back to the full tree walk of window_search_x11.cpp.
#include "title_lookup_x11.h"

namespace oruna {
namespace {

bool g_failed = false;
int NoteError(Display*, XErrorEvent*) {
  g_failed = true;
  return 0;
}

// The remembered window still has the title; a destroyed window answers
// false.
bool StillTitled(Display* display, Window window, const std::string& title) {
  XErrorHandler previous = XSetErrorHandler(NoteError);
  g_failed = false;
  const bool match = X11WindowHasTitle(display, window, title);
  XSync(display, False);
  XSetErrorHandler(previous);
  return match && !g_failed;
}

}  // namespace

bool TitleLookupX11::Exists(Display* display, const std::string& title, TitleScope scope) {
  if (display == nullptr) return false;
  Window& found = found_[title];
  if (found != None && StillTitled(display, found, title)) return true;
  found = FindX11WindowByTitleIn(display, title, scope);
  return found != None;
}

}  // namespace oruna
