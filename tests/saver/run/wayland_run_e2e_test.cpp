// The saver's run where the session's display is a Wayland compositor, with
// the renderer stand-in: the start deadline, kept through the renderer's
// "picture shown" report instead of its window's title, and the
// single-instance rule between a run on Wayland and programs on X11 in the
// same session. No compositor is needed: the saver only looks for its
// socket, and the stand-in draws nothing (a compositor's own tests are in
// tests/wayland).
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "saver_e2e_fixture.h"

namespace oruna::test {
namespace {

class WaylandRun : public SaverEndToEndTest {
 protected:
  void SetUp() override {
    SaverEndToEndTest::SetUp();
    Install("renderer_standin", "Oruna.dll");
    // A socket where a compositor would have it, so that Wayland is chosen.
    socket_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    (runtime_dir_ + "/wayland-test").copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  }
  void TearDown() override {
    close(socket_);
    SaverEndToEndTest::TearDown();
  }

  // A run on the Wayland display alone; the stand-in reports its picture
  // shown ("shown") or never does ("never").
  std::unique_ptr<ChildProcess> StartWaylandRun(const std::string& standin) {
    return StartSaver("/s", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", "wayland-test"}, {"ORUNA_STANDIN_WAYLAND", standin}});
  }
  // The same program on the X display alone (Xvfb's, from the environment).
  std::unique_ptr<ChildProcess> StartX11(const std::string& argument) {
    return StartSaver(argument, {{"WAYLAND_DISPLAY", ""}});
  }

  int socket_ = -1;
};

// With no window title to watch, the report is what the watch waits for: a
// renderer that never sends it is ended with the run at the start deadline
// (10 s), one that sends it runs on until the run is ended.
TEST_F(WaylandRun, ARendererThatNeverShowsItsPictureIsEndedAtTheStartDeadline) {
  auto never = StartWaylandRun("never");
  const pid_t renderer = RendererOf(*never);
  ASSERT_GT(renderer, 0);
  SleepMs(8000);
  EXPECT_TRUE(never->Running()) << "ended before the deadline";
  EXPECT_EQ(never->Wait(std::chrono::seconds(6)), 0);
  EXPECT_TRUE(ProcessEnds(renderer, kEndTimeout));
}

TEST_F(WaylandRun, ARendererThatReportsItsPictureShownOutlivesTheDeadline) {
  auto shown = StartWaylandRun("shown");
  const pid_t renderer = RendererOf(*shown);
  ASSERT_GT(renderer, 0);
  SleepMs(11000);
  EXPECT_TRUE(shown->Running());
  shown->Kill(SIGTERM);  // a run ended from outside ends its renderer
  EXPECT_EQ(shown->Wait(kEndTimeout), 0);
  EXPECT_TRUE(ProcessEnds(renderer, kEndTimeout));
}

// One user's programs exclude each other whatever display each one uses: a
// run on Wayland refuses an X11 run and an X11 dialog, and is refused while
// an X11 run or dialog is open.
TEST_F(WaylandRun, RunsAndDialogsOnWaylandAndOnX11ExcludeEachOther) {
  Install("Oruna.settings.so", "Oruna.settings.so");  // a dialog that would open
  auto wayland_run = StartWaylandRun("shown");
  ASSERT_GT(RendererOf(*wayland_run), 0);
  SleepMs(300);  // the run form is loaded before the renderer starts; give it slack anyway
  EXPECT_EQ(StartX11("/s")->Wait(kEndTimeout), 0);
  EXPECT_EQ(StartX11("/c")->Wait(kEndTimeout), 0);
  EXPECT_TRUE(wayland_run->Running());
  wayland_run->Kill(SIGTERM);
  ASSERT_EQ(wayland_run->Wait(kEndTimeout), 0);

  WatchRuns();
  auto x11_run = StartX11("/s");
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  auto refused = StartWaylandRun("shown");
  EXPECT_EQ(refused->Wait(kEndTimeout), 0);
  EndWithEscape(*x11_run);

  auto x11_dialog = StartX11("/c");
  ASSERT_TRUE(WaitForWindow("<Oruna>"));
  EXPECT_EQ(StartWaylandRun("shown")->Wait(kEndTimeout), 0);
  x11_dialog->Kill(SIGTERM);
  x11_dialog->Wait(kEndTimeout);
}

}  // namespace
}  // namespace oruna::test
