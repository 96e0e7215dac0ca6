// Texture exchange directory on Linux/X11: a per-user private directory.
// $XDG_RUNTIME_DIR/p_orvi when the session has a runtime directory, else
// /tmp/p_orvi-<uid>. The directory must be ours, a real directory (not a
// symlink) and writable by nobody else, or it is not used at all.
#include "texture_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace oruna {

std::string TextureExchangeDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/p_orvi";
  return "/tmp/p_orvi-" + std::to_string(getuid());
}

bool CreateTextureExchangeDir() {
  const std::string dir = TextureExchangeDir();
  mkdir(dir.c_str(), 0700);  // fails harmlessly when it exists
  struct stat st {};
  if (lstat(dir.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != getuid()) return false;
  if ((st.st_mode & 022) != 0 && chmod(dir.c_str(), 0700) != 0) return false;
  return true;
}

std::string TextureFilePath(int index) {
  return TextureExchangeDir() + "/Oruna" + std::to_string(index) + ".bmp";
}

}  // namespace oruna
