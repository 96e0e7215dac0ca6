// Session markers on Linux: a marker is a write lock on the whole of a file
// in the exchange folder, taken with an open file description lock
// (F_OFD_SETLK). Such a lock belongs to the descriptor, not the process, so
// the renderer, which does not inherit the descriptor (close-on-exec), never
// holds it; and a look-up tests it with F_OFD_GETLK, which takes nothing, so
// two programs that start together cannot both lose to each other's
// look-up. The files stay in place; only their locks mean anything.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "session_marker.h"
#include "texture_files.h"

namespace oruna {
namespace {

bool IsPlain(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The marker's file, opened for locking; -1 without a trusted folder. The
// markers live beside the exchange folder, in its parent: the user's
// runtime folder, or the program's own folder in the user's cache (both
// the user's alone), so that the exchange folder holds the four textures
// only. No link is followed, so nobody can point a marker at another file.
int OpenMarkerFile(const std::string& name) {
  const std::string exchange = TextureExchangeDir();
  const size_t slash = exchange.rfind('/');
  if (exchange.empty() || slash == std::string::npos || slash == 0) return -1;
  const std::string path = exchange.substr(0, slash) + "/" + SessionMarkerFileName(name);
  return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
}

struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;  // to the end, however long
  return lock;
}

}  // namespace

std::string SessionMarkerFileName(const std::string& name) {
  std::string file;
  for (unsigned char c : name) {
    if (IsPlain(c)) {
      file += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      file += hex;
    }
  }
  return file + ".marker";
}

std::unique_ptr<SessionMarker> SessionMarker::Take(const std::string& name, bool& taken) {
  taken = false;
  const int fd = OpenMarkerFile(name);
  if (fd < 0) return nullptr;
  struct flock lock = WholeFile(F_WRLCK);
  if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    taken = true;
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<SessionMarker>(new SessionMarker(fd));
}

bool SessionMarker::Held(const std::string& name) {
  const int fd = OpenMarkerFile(name);
  if (fd < 0) return false;
  struct flock lock = WholeFile(F_WRLCK);
  const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  close(fd);
  return held;
}

SessionMarker::~SessionMarker() { close(fd_); }

}  // namespace oruna
