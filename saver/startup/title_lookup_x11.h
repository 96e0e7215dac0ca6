// Repeated title look-ups on X11 (the 100 ms renderer watch): the window
// found last is checked first, so that a look-up costs a round trip or two
// instead of a walk over every window on the display.
#pragma once
#include <X11/Xlib.h>

#include <map>
#include <string>

namespace oruna {

class TitleLookupX11 {
 public:
  // True while a window titled exactly `title` exists on `display`.
  bool Exists(Display* display, const std::string& title);

 private:
  std::map<std::string, Window> found_;
};

}  // namespace oruna
