// Looks up top-level windows by title across processes, the way the screen
// saver recognises a running saver, an open settings dialog or the renderer.
#pragma once
#include <string>

namespace oruna {

// True when a window titled exactly `title` exists on the display, mapped or
// not, in any process.
bool WindowWithTitleExists(const std::string& title);

}  // namespace oruna
