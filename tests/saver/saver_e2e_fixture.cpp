#include "saver_e2e_fixture.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "window_search_x11.h"

namespace oruna::test {

void SaverEndToEndTest::TearDown() { EndAll(program_dir_); }

void SaverEndToEndTest::WatchRuns() {
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  x11_ = std::make_unique<X11Connection>();
  display_ = x11_->get();
  ASSERT_NE(display_, nullptr);
}

bool SaverEndToEndTest::WindowExists(const std::string& title) {
  return FindX11WindowByTitle(display_, title) != None;
}

bool SaverEndToEndTest::WaitForWindow(const std::string& title) {
  return WaitUntil([&] { return WindowExists(title); }, kStartTimeout);
}

bool SaverEndToEndTest::RendererShown() {
  XWindowAttributes attributes{};
  const Window window = FindX11WindowByTitle(display_, "Oruna_VC");
  return window != None && XGetWindowAttributes(display_, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

void SaverEndToEndTest::PressEscape() {
  const KeyCode key = XKeysymToKeycode(display_, XK_Escape);
  XTestFakeKeyEvent(display_, key, True, CurrentTime);
  XTestFakeKeyEvent(display_, key, False, CurrentTime);
  XSync(display_, False);
}

pid_t SaverEndToEndTest::RendererOf(ChildProcess& saver) {
  pid_t found = -1;
  WaitUntil([&] {
    const std::vector<pid_t> children = ChildrenOf(saver.pid());
    if (!children.empty()) found = children.front();
    return found > 0;
  }, kStartTimeout);
  return found;
}

void SaverEndToEndTest::EndWithEscape(ChildProcess& saver) {
  WaitUntil([&] { return RendererShown(); }, kStartTimeout);
  PressEscape();
  EXPECT_EQ(saver.Wait(kEndTimeout), 0);
}

void SaverEndToEndTest::WriteSettings(int kind, int track, const std::string& file) {
  std::ofstream(program_dir_ + "/Oruna.ini") << "[Section]\r\nBGM区分= " << kind << "\r\nBGMﾘﾋﾟｰﾄ= " << track
                                             << "\r\nBGMﾌｧｲﾙ=" << file << "\r\n";
}

void SaverEndToEndTest::SetUp() {
  ASSERT_TRUE(xvfb_.ok());
  for (const std::string& dir : {program_dir_, runtime_dir_, home_}) ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  Install("Oruna.scr", "Oruna.scr");
  env_ = {{"XDG_RUNTIME_DIR", runtime_dir_},
          {"HOME", home_},
          {"XDG_CONFIG_HOME", home_ + "/.config"},
          {"SDL_AUDIODRIVER", "dummy"}};
}

void SaverEndToEndTest::Install(const std::string& name, const std::string& as) {
  std::filesystem::copy_file(BinaryDir() + "/" + name, program_dir_ + "/" + as);
}

std::unique_ptr<ChildProcess> SaverEndToEndTest::StartSaver(const std::string& argument,
                                                            const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> env = env_;
  for (const auto& [key, value] : extra) env[key] = value;
  std::vector<std::string> argv = {program_dir_ + "/Oruna.scr"};
  if (!argument.empty()) argv.push_back(argument);
  if (file_size_limit_ == RLIM_INFINITY) return std::make_unique<ChildProcess>(argv, env);
  // A file-size limit is inherited by the saver alone. The saver starts with
  // SIGXFSZ at its default action; it must ignore the signal itself, so that
  // a write past the limit fails as on a full disk instead of ending it.
  // This process ignores it only while the limit is its own too.
  rlimit unlimited{};
  getrlimit(RLIMIT_FSIZE, &unlimited);
  const rlimit limited{file_size_limit_, unlimited.rlim_max};
  struct sigaction ignore{}, old_action{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old_action);
  setrlimit(RLIMIT_FSIZE, &limited);
  auto saver = std::make_unique<ChildProcess>(argv, env);
  setrlimit(RLIMIT_FSIZE, &unlimited);
  sigaction(SIGXFSZ, &old_action, nullptr);
  return saver;
}

bool ProcessEnds(pid_t pid, std::chrono::milliseconds timeout) {
  return WaitUntil([&] {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
    return kill(pid, 0) != 0 && errno == ESRCH;
  }, timeout);
}

}  // namespace oruna::test
