// Oruna.scr /s and Oruna.dll under a private Xvfb, in conditions a run
// inherits from the machine rather than from its own rigs: another local
// user who made the texture folder's name first, with a FIFO and a picture
// of theirs in it, and a launcher that passes SIGCHLD on ignored.
//
// The other user is played by the test when it runs as root; the programs
// then run as the ordinary user "nobody" (through setpriv). Without root
// there is no second user to play, and those cases are skipped.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
// clang-format on
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>

#include "bmp_writer.h"
#include "saver_e2e_fixture.h"
#include "test_support.h"
#include "window_search_x11.h"
#include "x11_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

constexpr auto kStartTimeout = 10s;
constexpr auto kEndTimeout = 5s;

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Pixels of the screen that are pure red, as a red picture drawn as the
// backdrop makes them; the scene's own colours have green or blue in them.
size_t RedPixels(test::X11Connection& x11) {
  size_t red = 0;
  for (uint32_t pixel : x11.Grab(0, 0, 1024, 768))
    if ((pixel >> 16 & 0xFF) >= 200 && (pixel >> 8 & 0xFF) < 40 && (pixel & 0xFF) < 40) ++red;
  return red;
}

class ForeignUser : public test::SaverEndToEndTest {
 protected:
  void SetUp() override {
    user_ = test::OrdinaryUserForRoot();
    if (!user_) GTEST_SKIP() << "needs root, to play another user beside the ordinary user the programs run as";
    setpriv_ = "/usr/bin/setpriv";
    if (access(setpriv_.c_str(), X_OK) != 0) GTEST_SKIP() << "needs setpriv to run the programs as nobody";
    ASSERT_NO_FATAL_FAILURE(SaverEndToEndTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WatchRuns());
    Install("Oruna.dll", "Oruna.dll");
    // The programs' folders are nobody's; the test's own folder lets them in.
    ASSERT_EQ(chmod(temp_.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(program_dir_.c_str(), 0755), 0);
    ASSERT_EQ(chown(home_.c_str(), user_->uid, user_->gid), 0);
    // A folder every user may create names in, as /tmp: the runtime folder
    // a careless session may name. The other user (root, here) was there
    // first with p_orvi, a FIFO as the corona and a red 64x64 backdrop.
    ASSERT_EQ(mkdir(shared_.c_str(), 0777), 0);
    ASSERT_EQ(chmod(shared_.c_str(), 01777), 0);
    ASSERT_EQ(mkdir(planted_.c_str(), 0755), 0);
    ASSERT_EQ(mkfifo((planted_ + "/Oruna1.bmp").c_str(), 0666), 0);
    ASSERT_TRUE(test::WriteSolidBitmap(planted_ + "/Oruna2.bmp", 64, 64, 0xFF0000));
    ASSERT_EQ(chmod((planted_ + "/Oruna2.bmp").c_str(), 0644), 0);
    planted_red_ = test::ReadFileBytes(planted_ + "/Oruna2.bmp");
    env_["XDG_RUNTIME_DIR"] = shared_;
    env_.erase("XDG_CONFIG_HOME");
    env_["XDG_CACHE_HOME"] = home_ + "/.cache";
  }

  // `program` (in program/) run as nobody, with the environment of a run.
  std::unique_ptr<ChildProcess> StartAsNobody(const std::string& program, const std::string& argument = "") {
    std::vector<std::string> argv = {setpriv_, "--reuid=" + std::to_string(user_->uid),
                                     "--regid=" + std::to_string(user_->gid), "--clear-groups",
                                     program_dir_ + "/" + program};
    if (!argument.empty()) argv.push_back(argument);
    return std::make_unique<ChildProcess>(argv, env_);
  }

  // The other user's folder is as they left it.
  void ExpectPlantedFolderUntouched() {
    EXPECT_EQ(FolderEntries(planted_), (std::vector<std::string>{"Oruna1.bmp", "Oruna2.bmp"}));
    struct stat st {};
    ASSERT_EQ(lstat((planted_ + "/Oruna1.bmp").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(test::ReadFileBytes(planted_ + "/Oruna2.bmp"), planted_red_);
  }

  std::optional<test::OtherUser> user_;
  std::string setpriv_;
  const std::string shared_ = temp_.path() + "/shared";
  const std::string planted_ = shared_ + "/p_orvi";
  const std::string own_folder_ = home_ + "/.cache/oruna/p_orvi";
  std::vector<uint8_t> planted_red_;
};

TEST_F(ForeignUser, APreemptedFolderIsPassedOverByBothProgramsAndEscapeEndsTheRun) {
  auto saver = StartAsNobody("Oruna.scr", "/s");
  ASSERT_TRUE(test::WaitUntil([&] { return RendererShown(); }, kStartTimeout))
      << "the renderer shows its window instead of blocking on the FIFO";
  // The textures went to the user's own folder, private to them.
  EXPECT_EQ(FolderEntries(own_folder_),
            (std::vector<std::string>{"Oruna1.bmp", "Oruna2.bmp", "Oruna3.bmp", "Oruna4.bmp"}));
  struct stat st {};
  ASSERT_EQ(lstat(own_folder_.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, user_->uid);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // The renderer draws our pictures: none of the other user's red.
  test::SleepMs(1000);
  test::X11Connection x11;
  ASSERT_TRUE(x11.ok());
  EXPECT_LT(RedPixels(x11), 1000u) << "the other user's picture is on the screen";

  PressEscape();
  EXPECT_EQ(saver->Wait(kEndTimeout), 0) << "Escape ends the run";
  EXPECT_FALSE(test::WaitUntil([&] { return FindX11WindowByTitle(display_, "Oruna_VC") != None; }, 0ms));
  ExpectPlantedFolderUntouched();
  // Nothing is left: no temporary files, no process of the run.
  EXPECT_EQ(FolderEntries(own_folder_).size(), 4u);
  EXPECT_TRUE(test::WaitUntil([&] { return FindX11WindowByTitle(display_, "Oruna_Main") == None; }, kEndTimeout));
}

TEST_F(ForeignUser, TheRendererAloneReadsNothingFromAPreemptedFolder) {
  // Without a folder of the user's own it has no texture at all and ends by
  // itself, quietly, instead of hanging on the FIFO.
  auto renderer = StartAsNobody("Oruna.dll");
  EXPECT_EQ(renderer->Wait(kStartTimeout), 0);
  ExpectPlantedFolderUntouched();
  EXPECT_FALSE(test::FileExists(own_folder_)) << "the renderer creates nothing";
}

// A launcher that ignores SIGCHLD passes that on across exec. On a 1280x1024
// desktop that also offers 1024x768, a stand-in renderer that ends cleanly
// on Escape; the desktop is switched to 1024x768 during the run, as a user
// may do. A clean end leaves that choice alone: only a renderer that died
// without its teardown makes the saver put the old configuration back.
class IgnoredSigchld : public test::SaverEndToEndTest {
 protected:
  IgnoredSigchld() : SaverEndToEndTest("1280x1024x24") {}
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SaverEndToEndTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WatchRuns());
    ASSERT_TRUE(test::OfferMode1024x768(display_));
    Install("renderer_standin", "Oruna.dll");
  }
};

TEST_F(IgnoredSigchld, ACleanEscapeLeavesTheDisplayConfigurationAlone) {
  // The saver inherits SIGCHLD ignored; this process ignores it only while
  // the saver is started.
  struct sigaction ignore {}, old_action {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGCHLD, &ignore, &old_action);
  auto saver = std::make_unique<ChildProcess>(std::vector<std::string>{program_dir_ + "/Oruna.scr", "/s"}, env_);
  sigaction(SIGCHLD, &old_action, nullptr);

  ASSERT_TRUE(test::WaitUntil([&] { return RendererShown(); }, kStartTimeout));
  ASSERT_TRUE(test::SwitchTo1024x768(display_));
  ASSERT_EQ(test::RootSize(display_), std::make_pair(1024, 768));
  PressEscape();
  EXPECT_EQ(saver->Wait(kEndTimeout), 0);
  test::SleepMs(300);
  EXPECT_EQ(test::RootSize(display_), std::make_pair(1024, 768)) << "the saver put its old configuration back";
}

}  // namespace
}  // namespace oruna
