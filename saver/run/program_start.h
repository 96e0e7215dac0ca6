// Starting the renderer as a separate process and learning of its end.
#pragma once
#include <cstdint>
#include <string>

#include "saver_platform.h"

namespace oruna {

class StartedProgram {
 public:
  StartedProgram() = default;
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  // Starts the program at `path` with no arguments; does not wait for it.
  // `inherited_fd`, when not -1, is a close-on-exec descriptor the program
  // alone inherits (its flag is cleared in the child only).
  void Start(const std::string& path, int inherited_fd = -1);
  // Running until the process has ended (it is then reaped, so no zombie is
  // left behind) or when it never started.
  ProgramState State();
  // Ends the process if it still runs (see SaverPlatform::EndStartedProgram);
  // afterwards State() is Exited.
  void End();
  int pid() const { return pid_; }
  // Once Exited: true when the process ended by itself with exit code 0
  // (its own teardown ran); false when it crashed, was killed, failed, or
  // had to be ended by force.
  bool ended_cleanly() const { return ended_cleanly_; }
  // What an event loop waits on to learn of the end at once: on Linux a
  // process descriptor that turns readable, on Windows the process handle
  // that turns signalled. -1 when there is none (no process, or a kernel
  // without process descriptors: the watch timer then notices the end).
  intptr_t exit_wait_handle() const { return exit_wait_handle_; }

 private:
  void CloseExitDescriptor();

  int pid_ = -1;
  intptr_t exit_wait_handle_ = -1;
  ProgramState state_ = ProgramState::NotStarted;
  bool ended_cleanly_ = false;
};

}  // namespace oruna
