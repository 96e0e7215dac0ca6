// The saver's end of the "picture shown" pipe (shown_pipe_posix.h).
#include "shown_pipe_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "shown_report.h"

namespace oruna {

bool ShownPipe::OpenForStart() {
  Close();
  int ends[2];
  // Both ends close on exec; the program start clears the flag on the write
  // end in the child alone, so no other program the saver starts gets it.
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  read_end_ = ends[0];
  write_end_ = ends[1];
  setenv(kShownFdVariable, std::to_string(write_end_).c_str(), 1);
  return true;
}

void ShownPipe::FinishStart() {
  unsetenv(kShownFdVariable);
  if (write_end_ >= 0) close(write_end_);
  write_end_ = -1;
}

bool ShownPipe::TakeReport() {
  char byte = 0;
  ssize_t n = 0;
  do n = read(read_end_, &byte, 1);
  while (n < 0 && errno == EINTR);
  Close();
  return n == 1;
}

void ShownPipe::Close() {
  if (read_end_ >= 0) close(read_end_);
  if (write_end_ >= 0) close(write_end_);
  read_end_ = write_end_ = -1;
}

}  // namespace oruna
