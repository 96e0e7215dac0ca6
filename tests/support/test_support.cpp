#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace oruna::test {
namespace {

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// A fresh directory under $TMPDIR; empty when none could be made.
std::string MakeTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base != nullptr ? base : "/tmp") + "/oruna-test-XXXXXX";
  return mkdtemp(templ.data()) != nullptr ? templ : std::string();
}

void RemoveTree(const std::string& path) {
  std::error_code ec;
  if (!path.empty()) std::filesystem::remove_all(path, ec);
}

}  // namespace

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

ScopedDisplay::~ScopedDisplay() {
  if (!set_) return;
  if (previous_) setenv("DISPLAY", previous_->c_str(), 1);
  else unsetenv("DISPLAY");
}

void ScopedDisplay::Set(const std::string& display) {
  if (!set_) {
    if (const char* old = std::getenv("DISPLAY")) previous_ = old;
    set_ = true;
  }
  setenv("DISPLAY", display.c_str(), 1);
}

std::string StartXServer(std::vector<std::string> argv, std::chrono::milliseconds timeout, pid_t& pid) {
  pid = -1;
  int fds[2];
  if (argv.empty() || pipe(fds) != 0) return "";
  argv.insert(argv.begin() + 1, {"-displayfd", std::to_string(fds[1])});
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  auto args = CStrings(argv);
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  // The server writes its display number and a newline once it accepts clients.
  std::string number;
  pollfd pfd{fds[0], POLLIN, 0};
  while (pid > 0 && poll(&pfd, 1, static_cast<int>(timeout.count())) > 0) {
    char c = 0;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  return number.empty() ? "" : ":" + number;
}

XvfbServer::XvfbServer(const std::string& screen) {
  framebuffer_dir_ = MakeTempDir();
  if (framebuffer_dir_.empty()) return;
  display_ = StartXServer(
      {"Xvfb", "-screen", "0", screen, "-nolisten", "tcp", "-noreset", "-fbdir", framebuffer_dir_},
      std::chrono::seconds(10), pid_);
  if (!display_.empty()) display_variable_.Set(display_);
}

XvfbServer::~XvfbServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  RemoveTree(framebuffer_dir_);
}

void XvfbServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env) {
  std::vector<std::string> envs;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string key = entry.substr(0, entry.find('='));
    if (env.count(key) == 0) envs.push_back(entry);
  }
  for (const auto& [key, value] : env) envs.push_back(key + "=" + value);
  std::vector<std::string> args_copy = argv;
  auto args = CStrings(args_copy);
  auto env_ptrs = CStrings(envs);
  // SIGXFSZ starts at its default action in the child, whatever this process
  // does with it: a program that must survive a file-size limit has to
  // ignore the signal itself.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGXFSZ);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  if (posix_spawn(&pid_, args_copy[0].c_str(), nullptr, &attributes, args.data(), env_ptrs.data()) != 0)
    pid_ = -1;
  posix_spawnattr_destroy(&attributes);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  if (pid_ <= 0) return std::nullopt;
  WaitUntil(
      [&] {
        if (status_) return true;
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_)
          status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        return status_.has_value();
      },
      timeout);
  return status_;
}

bool ChildProcess::Running() { return pid_ > 0 && !Wait(std::chrono::milliseconds(0)); }

void ChildProcess::Kill(int signal_number) {
  if (pid_ > 0 && !status_) kill(pid_, signal_number);
}

TempDir::TempDir() : path_(MakeTempDir()) {}

TempDir::~TempDir() { RemoveTree(path_); }

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

std::string BinaryDir() { return ORUNA_BINARY_DIR; }

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = dir + "/" + name;
    if (!dir.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

namespace {

// Every process id in /proc.
std::vector<pid_t> AllProcesses() {
  std::vector<pid_t> pids;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return pids;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid > 0) pids.push_back(pid);
  }
  closedir(proc);
  return pids;
}

}  // namespace

std::vector<pid_t> ProcessesIn(const std::string& folder, const std::string& name) {
  std::vector<pid_t> found;
  const std::string prefix = folder + "/";
  for (pid_t pid : AllProcesses()) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
    std::string program;
    std::getline(in, program, '\0');
    // A zombie has an empty command line: it has ended, only unreaped.
    if (program.compare(0, prefix.size(), prefix) == 0 && (name.empty() || program == prefix + name))
      found.push_back(pid);
  }
  return found;
}

pid_t ParentOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const size_t name_end = line.rfind(')');  // the name may hold blanks
  int parent = 0;
  if (name_end != std::string::npos) std::sscanf(line.c_str() + name_end + 1, " %*c %d", &parent);
  return parent;
}

std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  for (pid_t pid : AllProcesses())
    if (ParentOf(pid) == parent) children.push_back(pid);
  return children;
}

void EndAll(const std::string& folder) {
  for (pid_t pid : ProcessesIn(folder)) kill(pid, SIGKILL);
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
}

std::optional<long> PeakResidentKiBOfChild(const std::function<void()>& work) {
  int report[2];
  if (pipe(report) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid == 0) {
    close(report[0]);
    work();
    long peak = -1;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmHWM:", 0) == 0) peak = std::strtol(line.c_str() + 6, nullptr, 10);
    const ssize_t written = write(report[1], &peak, sizeof peak);
    _exit(written == sizeof peak ? 0 : 1);
  }
  close(report[1]);
  long peak = -1;
  const ssize_t got = pid > 0 ? read(report[0], &peak, sizeof peak) : 0;
  close(report[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  if (got != sizeof peak || peak < 0) return std::nullopt;
  return peak;
}

std::optional<OtherUser> OrdinaryUserForRoot() {
  if (geteuid() != 0) return std::nullopt;
  const passwd* nobody = getpwnam("nobody");
  if (nobody == nullptr || nobody->pw_uid == 0) return std::nullopt;
  return OtherUser{nobody->pw_uid, nobody->pw_gid};
}

bool RunInChildAs(const OtherUser& user, const std::function<bool()>& work) {
  const pid_t pid = fork();
  if (pid == 0) {
    const bool became = setgroups(0, nullptr) == 0 && setgid(user.gid) == 0 && setuid(user.uid) == 0;
    _exit(became && work() ? 0 : 1);
  }
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace oruna::test
