// Starting the renderer as a separate process and learning of its end.
#pragma once
#include <string>

#include "saver_platform.h"

namespace oruna {

class StartedProgram {
 public:
  // Starts the program at `path` with no arguments; does not wait for it.
  void Start(const std::string& path);
  // Running until the process has ended (it is then reaped, so no zombie is
  // left behind) or when it never started.
  ProgramState State();
  // Ends the process if it still runs (see SaverPlatform::EndStartedProgram);
  // afterwards State() is Exited.
  void End();
  int pid() const { return pid_; }

 private:
  int pid_ = -1;
  ProgramState state_ = ProgramState::NotStarted;
};

}  // namespace oruna
