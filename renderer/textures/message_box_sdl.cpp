// SDL2 message box: the renderer's modal error box on Linux, owned by the
// renderer window. The window is named explicitly: while the scene is set up
// (when bad bitmaps are reported) the window manager has not handed it the
// keyboard focus yet, and an ownerless box can open behind a full-screen
// window, where nothing can answer it.
#include "message_box_sdl.h"

#include <cstdio>

#include "error_message.h"

namespace oruna {
namespace {
SDL_Window* g_owner = nullptr;
}

void SetMessageBoxOwner(SDL_Window* window) { g_owner = window; }

void PlatformMessageBox(const std::string& caption, const std::string& text) {
  SDL_Window* owner = g_owner != nullptr ? g_owner : SDL_GetKeyboardFocus();
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), owner) == 0) return;
  // No box could be shown (no display, no message box backend): the text
  // must not be lost, so it goes to stderr.
  const bool ends_line = !text.empty() && text.back() == '\n';
  std::fprintf(stderr, "%s: %s%s", caption.c_str(), text.c_str(), ends_line ? "" : "\n");
}

}  // namespace oruna
