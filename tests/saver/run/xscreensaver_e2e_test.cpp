// Oruna.scr as the only hack of a real XScreenSaver on a private Xvfb.
// XScreenSaver runs hacks only as an ordinary user: when the test runs as
// root, XScreenSaver and its command tool run as "nobody" with a private
// home, and the programs sit in a folder that user can read.
#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "host_e2e_support.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

class XScreenSaverRun : public ::testing::Test {
 protected:
  void SetUp() override {
    xscreensaver_ = FindProgram("xscreensaver");
    command_ = FindProgram("xscreensaver-command");
    if (xscreensaver_.empty() || command_.empty()) GTEST_SKIP() << "xscreensaver is not installed";
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    ASSERT_TRUE(xvfb_.ok());
    ASSERT_TRUE(x_.ok());
    // Folders the hack's user can reach: the programs read-only, the home its own.
    chmod(temp_.path().c_str(), 0755);
    program_dir_ = temp_.path() + "/program";
    home_ = temp_.path() + "/home";
    ASSERT_TRUE(InstallPrograms(program_dir_, "Oruna.dll"));
    std::filesystem::create_directories(home_ + "/runtime");
    chmod((home_ + "/runtime").c_str(), 0700);
    if (geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      setpriv_ = FindProgram("setpriv");
      if (nobody == nullptr || setpriv_.empty()) GTEST_SKIP() << "no ordinary user to run xscreensaver as";
      user_ = {"--reuid=" + std::to_string(nobody->pw_uid), "--regid=" + std::to_string(nobody->pw_gid),
               "--init-groups"};
      for (const std::string& path : {home_, home_ + "/runtime"})
        ASSERT_EQ(chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
      uid_ = nobody->pw_uid;
      gid_ = nobody->pw_gid;
    }
  }

  void TearDown() override {
    if (daemon_) {
      daemon_->Kill(SIGTERM);  // takes its graphics process and hack with it
      daemon_->Wait(3s);
    }
    EndAll(program_dir_);
  }

  // Oruna as the one hack, changed every `cycle` ("0:00:00": never). Hacks
  // run at the test's own priority: niced as usual they starve on a busy
  // machine and the test would time its deadlines against the machine.
  void WriteSettings(const std::string& cycle) {
    const std::string path = home_ + "/.xscreensaver";
    std::ofstream(path) << "timeout:\t0:30:00\ncycle:\t" << cycle
                        << "\nnice:\t0\nlock:\tFalse\nsplash:\tFalse\nfade:\tFalse\nunfade:\tFalse\n"
                           "mode:\tone\nselected:\t0\nprograms:\t"
                        << program_dir_ << "/Oruna.scr /s\n";
    if (geteuid() == 0) {
      ASSERT_EQ(chown(path.c_str(), uid_, gid_), 0);
    }
  }

  // `argv` run as the hack's user with a clean environment.
  std::unique_ptr<ChildProcess> RunAsUser(const std::vector<std::string>& argv) {
    std::vector<std::string> full;
    if (!setpriv_.empty()) {
      full.push_back(setpriv_);
      full.insert(full.end(), user_.begin(), user_.end());
    }
    for (const std::string& part : std::vector<std::string>{
             "/usr/bin/env", "-i", "HOME=" + home_, "DISPLAY=" + xvfb_.display(), "PATH=/usr/bin:/bin",
             "XDG_RUNTIME_DIR=" + home_ + "/runtime", "SDL_AUDIODRIVER=dummy"})
      full.push_back(part);
    full.insert(full.end(), argv.begin(), argv.end());
    return std::make_unique<ChildProcess>(full);
  }

  // Starts XScreenSaver and blanks the screen once it answers.
  void Activate() {
    daemon_ = RunAsUser({xscreensaver_, "-no-splash"});
    ASSERT_TRUE(WaitUntil([&] { return RunAsUser({command_, "-activate"})->Wait(5s) == 0; }, 10s));
  }
  void Deactivate() { EXPECT_EQ(RunAsUser({command_, "-deactivate"})->Wait(5s), 0); }

  bool SceneShows() {
    const ScreenPoint sphere = SphereCentre(1024, 768);
    return WaitUntil([&] { return ShowsSphere(x_.Grab(sphere.x, sphere.y, 1, 1).at(0)); }, 10s);
  }

  XvfbServer xvfb_;
  X11Connection x_;
  TempDir temp_;
  std::string xscreensaver_, command_, setpriv_, program_dir_, home_;
  std::vector<std::string> user_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  std::unique_ptr<ChildProcess> daemon_;
};

TEST_F(XScreenSaverRun, ActiveItShowsTheSceneAndDeactivatedNothingIsLeft) {
  WriteSettings("0:00:00");
  Activate();
  EXPECT_TRUE(SceneShows());
  EXPECT_EQ(ProcessesIn(program_dir_, "Oruna.dll").size(), 1u);
  const auto asked = std::chrono::steady_clock::now();
  Deactivate();
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, 3s));
  std::printf("deactivation to no process left: %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - asked).count()));
}

// Every cycle ends the hack with SIGTERM and starts it again: renderers do
// not pile up, and none is left behind. At a hand-over the new run may
// overlap the old one's ending for a moment (on a slow, sanitized build the
// old renderer's teardown takes a while); never for a second or more.
TEST_F(XScreenSaverRun, CyclingNeverLeavesASecondRenderer) {
  WriteSettings("0:00:04");
  Activate();
  // The picture itself is checked above: on a busy machine a short cycle
  // may end a run before its first frame, or even before its renderer.
  ASSERT_TRUE(WaitUntil([&] { return !ProcessesIn(program_dir_, "Oruna.dll").empty(); }, 10s));
  // A renderer whose saver has ended belongs to nobody: it is ended by
  // force and only not yet gone (on a busy machine that can take a moment);
  // one orphaned for a whole second has been left behind.
  std::set<pid_t> renderers;
  std::map<pid_t, int> orphaned_samples;
  size_t most_renderers = 0;
  int longest_orphaned = 0, overlap = 0, longest_overlap = 0;
  for (int sample = 0; sample < 120; ++sample) {  // about three cycles
    size_t owned = 0;
    for (pid_t pid : ProcessesIn(program_dir_, "Oruna.dll")) {
      renderers.insert(pid);
      const pid_t parent = ParentOf(pid);
      if (parent != getpid() && parent != 1) ++owned;
      else longest_orphaned = std::max(longest_orphaned, ++orphaned_samples[pid]);
    }
    most_renderers = std::max(most_renderers, owned);
    overlap = owned > 1 ? overlap + 1 : 0;
    longest_overlap = std::max(longest_overlap, overlap);
    SleepMs(100);
  }
  EXPECT_LT(longest_orphaned, 10);
  EXPECT_GE(renderers.size(), 2u);  // the cycles did start new runs
  EXPECT_LE(most_renderers, 2u);
  EXPECT_LT(longest_overlap, 10);
  Deactivate();
  EXPECT_TRUE(WaitUntil([&] { return ProcessesIn(program_dir_).empty(); }, 3s));
}

}  // namespace
}  // namespace oruna::test
