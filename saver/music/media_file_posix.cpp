// POSIX: checks a music file before a library opens it, so that a FIFO or
// a device node cannot block the saver and a missing file fails fast.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mci_errors.h"
#include "media_layer.h"

namespace oruna {

uint32_t MediaFile_Check(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return kMciErrFileNotFound;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return kMciErrFileNotFound;
  if (!S_ISREG(info.st_mode)) return kMciErrInvalidFile;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kMciErrFileNotFound;
  close(fd);
  return 0;
}

}  // namespace oruna
