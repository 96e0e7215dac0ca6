// File replacement on POSIX. The folder is opened once without following a
// symlink and checked (a directory of ours that nobody else may write to);
// everything after that goes relative to that open folder. The temporary file
// is created with O_CREAT | O_EXCL | O_NOFOLLOW and mode 0600, so it never
// opens an existing file or a link, and renameat() replaces a link planted
// under the target name instead of writing through it.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "file_replace.h"

namespace oruna {
namespace {

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The folder, or -1 when it is a link, not ours, or open to other writers.
int OpenPrivateFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 022) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// A new temporary file next to `name`; its name is returned in `temp`.
int CreateTemporary(int folder, const std::string& name, std::string* temp) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    *temp = "." + name + "." + std::to_string(getpid()) + "." + std::to_string(++counter) + "." +
            std::to_string(now.tv_nsec);
    const int fd = openat(folder, temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::vector<uint8_t>& bytes) {
  const size_t slash = path.rfind('/');
  const std::string folder_path = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;
  const int folder = OpenPrivateFolder(folder_path);
  if (folder < 0) return false;

  std::string temp;
  bool replaced = false;
  const int fd = CreateTemporary(folder, name, &temp);
  if (fd >= 0) {
    const bool written = WriteAll(fd, bytes);
    const bool closed = close(fd) == 0;
    replaced = written && closed && renameat(folder, temp.c_str(), folder, name.c_str()) == 0;
    if (!replaced) unlinkat(folder, temp.c_str(), 0);
  }
  close(folder);
  return replaced;
}

}  // namespace oruna
