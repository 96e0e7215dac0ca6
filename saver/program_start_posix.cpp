// Program start on POSIX: posix_spawn by path (the file name ends in ".dll",
// so nothing may depend on the extension), the child reaped with waitpid
// WNOHANG from the watch timer.
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include "program_start.h"

extern char** environ;

namespace oruna {
namespace {

// The time a program asked to end gets to do so (the renderer puts the
// display mode back first) before it is ended by force.
constexpr int kEndGraceMs = 1000;

// True once `pid` has ended within `timeout_ms`; it is then reaped.
bool ReapWithin(pid_t pid, int timeout_ms) {
  const timespec step{0, 5 * 1000 * 1000};
  for (int waited = 0;; waited += 5) {
    const pid_t r = waitpid(pid, nullptr, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) return true;
    if (waited >= timeout_ms) return false;
    nanosleep(&step, nullptr);
  }
}

}  // namespace

void StartedProgram::Start(const std::string& path) {
  // The child starts with an empty signal mask and default handlers, whatever
  // the saver's event loop has installed.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal_number);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, path.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (rc == 0) {
    pid_ = pid;
    state_ = ProgramState::Running;
  } else {
    pid_ = -1;
    state_ = ProgramState::NotStarted;
  }
}

ProgramState StartedProgram::State() {
  if (state_ == ProgramState::Running) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno != EINTR)) state_ = ProgramState::Exited;
  }
  return state_;
}

void StartedProgram::End() {
  if (State() != ProgramState::Running) return;
  kill(pid_, SIGTERM);
  if (!ReapWithin(pid_, kEndGraceMs)) {
    kill(pid_, SIGKILL);
    ReapWithin(pid_, kEndGraceMs);
  }
  state_ = ProgramState::Exited;
}

}  // namespace oruna
