// Texture exchange directory on Linux/X11: a per-user private directory,
// $XDG_RUNTIME_DIR/p_orvi while the session has a runtime directory, else
// oruna/p_orvi in the user's cache folder ($XDG_CACHE_HOME, or ~/.cache).
// Both lie inside folders of the user's own, so no other user can create
// them first, as anyone could a fixed name in /tmp. Trusted only as a real
// directory (not a symlink) of the effective user with no group or other
// write bit.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "texture_files.h"

namespace oruna {

const char kTextureDirSeparator = '/';

namespace {

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string CacheFolder() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (IsAbsolute(cache)) return cache;
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return std::string(home) + "/.cache";
  const passwd* entry = getpwuid(geteuid());
  if (entry != nullptr && IsAbsolute(entry->pw_dir)) return std::string(entry->pw_dir) + "/.cache";
  return "";
}

std::string ParentOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "" : path.substr(0, slash);
}

// Creates the folder, and its missing parents, private to the user. A part
// that exists already is left as it is.
void MakeFolders(const std::string& folder) {
  struct stat st {};
  if (folder.empty() || lstat(folder.c_str(), &st) == 0) return;
  MakeFolders(ParentOf(folder));
  mkdir(folder.c_str(), 0700);
}

}  // namespace

std::vector<std::string> TextureExchangeCandidates() {
  std::vector<std::string> candidates;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (IsAbsolute(runtime)) candidates.push_back(std::string(runtime) + "/p_orvi");
  const std::string cache = CacheFolder();
  if (!cache.empty()) candidates.push_back(cache + "/oruna/p_orvi");
  return candidates;
}

bool IsTrustedTextureDir(const std::string& dir) {
  struct stat st {};
  return !dir.empty() && lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & 022) == 0;
}

void MakePrivateTextureDir(const std::string& dir) {
  MakeFolders(dir);
  // A directory of ours that others may write to is closed to them.
  struct stat st {};
  if (lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 022) != 0)
    chmod(dir.c_str(), 0700);
}

}  // namespace oruna
