// Program start on Linux: fork and exec by path (the file name ends in
// ".dll", so nothing may depend on the extension), with a parent-death signal
// set in the child so that the renderer never outlives the saver; the child
// reaped with waitpid WNOHANG from the watch timer, or ended on request.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "program_start.h"

extern char** environ;

namespace oruna {
namespace {

// The time a program asked to end gets to do so (the renderer puts the
// display mode back first) before it is ended by force.
constexpr int kEndGraceMs = 1000;

// A wait status of a process that ended by itself with exit code 0.
bool Clean(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

// True once `pid` has ended within `timeout_ms`; it is then reaped and
// `clean` says how it ended.
bool ReapWithin(pid_t pid, int timeout_ms, bool& clean) {
  const timespec step{0, 5 * 1000 * 1000};
  for (int waited = 0;; waited += 5) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    clean = r == pid && Clean(status);
    if (r == pid || (r < 0 && errno != EINTR)) return true;
    if (waited >= timeout_ms) return false;
    nanosleep(&step, nullptr);
  }
}

// The child's side of Start: a clean signal state, the tie to the saver's
// life, then the program.
[[noreturn]] void RunChild(const char* path, char* const argv[], pid_t parent, int report, int inherited_fd) {
  // Default handlers and an empty signal mask, whatever the saver's event
  // loop has installed.
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) sigaction(signal_number, &defaults, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // However the saver ends, even by SIGKILL, its renderer ends with it: a
  // full-screen picture with no saver behind it would wait for an Escape
  // nobody expects. SIGTERM lets the renderer put the display mode back. The
  // signal follows the thread that forked, the saver's main thread, which
  // lives as long as the saver. It survives the exec.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  // The saver may have died before the line above took effect.
  if (getppid() != parent) _exit(127);
  if (inherited_fd >= 0) fcntl(inherited_fd, F_SETFD, 0);
  execve(path, argv, environ);
  const int error = errno;
  [[maybe_unused]] const ssize_t written = write(report, &error, sizeof error);
  _exit(127);
}

}  // namespace

StartedProgram::~StartedProgram() { CloseExitDescriptor(); }

void StartedProgram::CloseExitDescriptor() {
  if (exit_wait_handle_ >= 0) close(static_cast<int>(exit_wait_handle_));
  exit_wait_handle_ = -1;
}

void StartedProgram::Start(const std::string& path, int inherited_fd) {
  pid_ = -1;
  state_ = ProgramState::NotStarted;
  ended_cleanly_ = false;
  CloseExitDescriptor();
  // Everything the child needs is made before the fork: between fork and
  // exec only async-signal-safe calls are allowed (the saver has threads).
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) RunChild(program.c_str(), argv, parent, report[1], inherited_fd);
  close(report[1]);
  // The pipe closes unread at a successful exec; a failed one sends errno.
  int child_errno = 0;
  ssize_t n = -1;
  if (pid > 0) {
    do n = read(report[0], &child_errno, sizeof child_errno);
    while (n < 0 && errno == EINTR);
  }
  close(report[0]);
  if (pid < 0) return;
  if (n != 0) {
    waitpid(pid, nullptr, 0);
    return;
  }
  pid_ = pid;
  state_ = ProgramState::Running;
  // The child is not reaped before State() or End() does it, so the pid
  // still names it here. The descriptor stays open until the next start:
  // an event loop may still be watching it when the child is reaped.
  exit_wait_handle_ = syscall(SYS_pidfd_open, pid, 0);
  if (exit_wait_handle_ < 0) exit_wait_handle_ = -1;
}

ProgramState StartedProgram::State() {
  if (state_ == ProgramState::Running) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno != EINTR)) {
      state_ = ProgramState::Exited;
      ended_cleanly_ = r == pid_ && Clean(status);
    }
  }
  return state_;
}

void StartedProgram::End() {
  if (State() != ProgramState::Running) return;
  kill(pid_, SIGTERM);
  if (!ReapWithin(pid_, kEndGraceMs, ended_cleanly_)) {
    kill(pid_, SIGKILL);
    ReapWithin(pid_, kEndGraceMs, ended_cleanly_);
    ended_cleanly_ = false;
  }
  state_ = ProgramState::Exited;
}

}  // namespace oruna
