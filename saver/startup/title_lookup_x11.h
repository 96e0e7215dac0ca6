// Repeated title look-ups on X11 (the 100 ms renderer watch): the window
// found last is checked first, so that a look-up costs a round trip or two
// instead of a walk over every window on the display.
#pragma once
#include <X11/Xlib.h>

#include <map>
#include <string>

#include "window_search_x11.h"

namespace oruna {

class TitleLookupX11 {
 public:
  // True while a window titled exactly `title` exists on `display`, in
  // `scope`. Each title is remembered for one scope: look a title up in the
  // same scope every time.
  bool Exists(Display* display, const std::string& title, TitleScope scope = {});

 private:
  std::map<std::string, Window> found_;
};

}  // namespace oruna
