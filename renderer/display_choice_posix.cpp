// The environment behind SessionDisplay on Linux: $DISPLAY, and
// $WAYLAND_DISPLAY with its socket (a name relative to $XDG_RUNTIME_DIR, or
// an absolute path, as libwayland reads it). A stale $WAYLAND_DISPLAY (a
// shell that outlived its compositor, a remote login) names no socket and
// does not count, so X11 is used where it is still there.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "display_choice.h"

namespace oruna {
namespace {

bool Named(const char* value) { return value != nullptr && *value != '\0'; }

bool WaylandSocketExists() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (!Named(name)) return false;
  std::string path = name;
  if (name[0] != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!Named(runtime)) return false;
    path = std::string(runtime) + "/" + name;
  }
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

DisplayKind SessionDisplay(bool x11_only) {
  return ChooseDisplay(Named(std::getenv("DISPLAY")), WaylandSocketExists(), x11_only);
}

}  // namespace oruna
