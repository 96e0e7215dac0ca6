// SDL2 message box: the renderer's modal error box on Linux, owned by the
// window that has the keyboard focus (the full-screen renderer window).
#include <SDL.h>

#include <cstdio>

#include "error_message.h"

namespace oruna {

void PlatformMessageBox(const std::string& caption, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(),
                               SDL_GetKeyboardFocus()) == 0)
    return;
  // No box could be shown (no display, no message box backend): the text
  // must not be lost, so it goes to stderr.
  const bool ends_line = !text.empty() && text.back() == '\n';
  std::fprintf(stderr, "%s: %s%s", caption.c_str(), text.c_str(), ends_line ? "" : "\n");
}

}  // namespace oruna
