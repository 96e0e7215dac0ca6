// Helpers for tests that run real programs: a private Xvfb display, child
// processes with a deadline, temporary directories and small file helpers.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace oruna::test {

// Sets $DISPLAY for the life of the object; the value before comes back at
// its end.
class ScopedDisplay {
 public:
  ~ScopedDisplay();
  void Set(const std::string& display);

 private:
  std::optional<std::string> previous_;
  bool set_ = false;
};

// Starts the X server `argv` with -displayfd added and its output discarded,
// and waits up to `timeout` until it accepts clients. Returns its display
// (":N"), empty when it did not come up; `pid` is its process or -1.
std::string StartXServer(std::vector<std::string> argv, std::chrono::milliseconds timeout, pid_t& pid);

// Starts Xvfb on a free display (-displayfd) with a 1024x768x24 screen and
// points $DISPLAY at it for the life of the object. The screen's memory is a
// file in a private folder (-fbdir), so that tests can see what is really
// shown, the software cursor included.
class XvfbServer {
 public:
  explicit XvfbServer(const std::string& screen = "1024x768x24");
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  bool ok() const { return pid_ > 0 && !display_.empty(); }
  const std::string& display() const { return display_; }
  // The screen as an XWD file, kept up to date by the server.
  std::string framebuffer_file() const { return framebuffer_dir_ + "/Xvfb_screen0"; }
  // Ends the server at once, as a crash or a closed session would.
  void Kill();

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string framebuffer_dir_;
  ScopedDisplay display_variable_;
};

// A child process started from argv with extra environment variables.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& argv,
               const std::map<std::string, std::string>& env = {});
  ~ChildProcess();  // kills the process if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // Exit code once the process has ended within `timeout`, else nullopt.
  // A process ended by a signal reports 128 + the signal number.
  std::optional<int> Wait(std::chrono::milliseconds timeout);
  bool Running();
  void Kill(int signal_number);

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// A fresh directory under $TMPDIR, removed with its contents at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void SleepMs(int ms);

// Polls `condition` every 10 ms until it holds or `timeout` passes.
template <typename F>
bool WaitUntil(F condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    SleepMs(10);
  }
}

std::vector<uint8_t> ReadFileBytes(const std::string& path);
// The file's bytes as a string; empty when it cannot be read.
inline std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

// Runs `work` in a forked child of this process and returns the child's peak
// resident memory (VmHWM) in KiB once `work` has returned; nullopt when the
// child could not run or did not report. The parent's memory does not count
// beyond what the child inherits at the fork.
std::optional<long> PeakResidentKiBOfChild(const std::function<void()>& work);

// Someone other than the test: when the tests run as root, the ordinary
// user "nobody", whom a forked child can become; nullopt otherwise (the test
// then acts as itself).
struct OtherUser {
  uint32_t uid;
  uint32_t gid;
};
std::optional<OtherUser> OrdinaryUserForRoot();

// Runs `work` in a forked child that has become `user` (its user and group,
// no other groups) and returns what `work` returned; false when the child
// could not become that user.
bool RunInChildAs(const OtherUser& user, const std::function<bool()>& work);

// Folder of the built programs (Oruna.dll, Oruna.scr, test tools).
std::string BinaryDir();

// The program's full path from $PATH, empty when it is not installed.
std::string FindProgram(const std::string& name);

// Processes whose program lies in `folder` (and is named `name`, when
// given), by the first word of their command line, which is readable for
// every user's processes.
std::vector<pid_t> ProcessesIn(const std::string& folder, const std::string& name = "");
// The children of `parent` now, and the parent of `pid` (0 when it is gone).
std::vector<pid_t> ChildrenOf(pid_t parent);
pid_t ParentOf(pid_t pid);
// Kills whatever still runs from `folder` and reaps this process's ended
// children.
void EndAll(const std::string& folder);

}  // namespace oruna::test
