// ReportPictureShown on Linux: one byte to the descriptor in $ORUNA_SHOWN_FD.
// The variable is taken out of the environment first, so that nothing the
// renderer might start could write to a descriptor number it does not own.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "shown_report.h"

namespace oruna {
namespace {

// The descriptor, read once: -1 without one.
int TakeShownDescriptor() {
  const char* value = std::getenv(kShownFdVariable);
  int fd = -1;
  if (value != nullptr) {
    char* end = nullptr;
    const long number = std::strtol(value, &end, 10);
    if (end != value && *end == '\0' && number > 2 && number < 65536) fd = static_cast<int>(number);
  }
  unsetenv(kShownFdVariable);
  // Only a pipe's write end is ours to write; anything else is left alone.
  if (fd >= 0 && (fcntl(fd, F_GETFL) & O_ACCMODE) != O_WRONLY) fd = -1;
  if (fd >= 0) fcntl(fd, F_SETFD, FD_CLOEXEC);
  return fd;
}

}  // namespace

void ReportPictureShown() {
  static int fd = TakeShownDescriptor();
  if (fd < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
  close(fd);
  fd = -1;
}

}  // namespace oruna
