// What the two programs agree on where there are no window titles: the
// session markers that keep runs and dialogs apart, the renderer's "picture
// shown" pipe, and which display a program of Oruna's uses.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "display_choice.h"
#include "program_start.h"
#include "session_marker.h"
#include "shown_pipe_posix.h"
#include "test_support.h"
#include "texture_files.h"

namespace oruna {
namespace {

using test::TempDir;

// The process's environment for one test, put back afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedVariable() {
    if (old_.empty()) unsetenv(name_);
    else setenv(name_, old_.c_str(), 1);
  }

 private:
  const char* name_;
  std::string old_;
};

// A private runtime folder with the exchange folder made in it, as a run's.
class MarkerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateTextureExchangeDir()); }
  TempDir runtime_;
  ScopedVariable runtime_variable_{"XDG_RUNTIME_DIR", runtime_.path().c_str()};
};

// A child process that takes `name` and keeps it until the test closes
// `release`'s other end; it says on `ready` whether it got it.
pid_t HoldInChild(const std::string& name, int ready, const int release[2]) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  close(release[1]);  // so that the test's close is the end of the pipe
  bool taken = false;
  auto marker = SessionMarker::Take(name, taken);
  const char got = marker ? 1 : 0;
  [[maybe_unused]] ssize_t n = write(ready, &got, 1);
  char byte;
  n = read(release[0], &byte, 1);
  _exit(0);
}

TEST_F(MarkerTest, AMarkerExcludesOtherProcessesUntilItsHolderEndsAndALookUpTakesNothing) {
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  // A look-up made before the holder starts leaves its Take alone.
  EXPECT_FALSE(SessionMarker::Held("Oruna_Main"));
  const pid_t holder = HoldInChild("Oruna_Main", ready[1], release);
  char got = 0;
  ASSERT_EQ(read(ready[0], &got, 1), 1);
  ASSERT_EQ(got, 1);

  EXPECT_TRUE(SessionMarker::Held("Oruna_Main"));
  EXPECT_FALSE(SessionMarker::Held("<Oruna>"));  // each title has its own
  bool taken = false;
  EXPECT_EQ(SessionMarker::Take("Oruna_Main", taken), nullptr);
  EXPECT_TRUE(taken);

  close(release[1]);  // the holder ends; the kernel drops its marker
  ASSERT_EQ(waitpid(holder, nullptr, 0), holder);
  EXPECT_FALSE(SessionMarker::Held("Oruna_Main"));
  auto mine = SessionMarker::Take("Oruna_Main", taken);
  EXPECT_NE(mine, nullptr);
  EXPECT_FALSE(taken);
  // Held also while this very process holds it, through another descriptor.
  EXPECT_TRUE(SessionMarker::Held("Oruna_Main"));
  for (int fd : {ready[0], ready[1], release[0]}) close(fd);
}

TEST_F(MarkerTest, AStartedProgramDoesNotKeepTheSaversMarker) {
  bool taken = false;
  auto marker = SessionMarker::Take("Oruna_Main", taken);
  ASSERT_NE(marker, nullptr);
  StartedProgram sleeper;
  sleeper.Start("/bin/sleep");  // no arguments: ends at once with an error, but runs first
  marker.reset();
  EXPECT_FALSE(SessionMarker::Held("Oruna_Main"));
  sleeper.End();
}

TEST(SessionMarkers, WithoutATrustedFolderNothingIsHeldOrRefused) {
  ScopedVariable runtime("XDG_RUNTIME_DIR", "/nonexistent-runtime");
  ScopedVariable cache("XDG_CACHE_HOME", "/nonexistent-cache");
  ScopedVariable home("HOME", "/nonexistent-home");
  bool taken = true;
  EXPECT_EQ(SessionMarker::Take("Oruna_Main", taken), nullptr);
  EXPECT_FALSE(taken);
  EXPECT_FALSE(SessionMarker::Held("Oruna_Main"));
  EXPECT_EQ(SessionMarkerFileName("<Oruna>"), "%3COruna%3E.marker");
  EXPECT_EQ(SessionMarkerFileName("Oruna_Main"), "Oruna_Main.marker");
}

// The renderer stand-in, without an X display, as the started program:
// "shown" writes the report as the renderer does, "never" only waits.
bool ReportArrives(const char* standin_mode) {
  ScopedVariable display("DISPLAY", nullptr);
  ScopedVariable mode("ORUNA_STANDIN_WAYLAND", standin_mode);
  ShownPipe pipe;
  EXPECT_TRUE(pipe.OpenForStart());
  EXPECT_EQ(std::getenv("ORUNA_SHOWN_FD"), std::to_string(pipe.write_end()));
  StartedProgram renderer;
  renderer.Start(test::BinaryDir() + "/renderer_standin", pipe.write_end());
  pipe.FinishStart();
  EXPECT_EQ(std::getenv("ORUNA_SHOWN_FD"), nullptr);  // for this program only
  EXPECT_EQ(renderer.State(), ProgramState::Running);
  pollfd readable{pipe.read_end(), POLLIN, 0};
  const bool something = poll(&readable, 1, 1000) == 1;
  renderer.End();
  // After the renderer's end the pipe closes: readable either way.
  if (!something) {
    EXPECT_EQ(poll(&readable, 1, 5000), 1);
  }
  return pipe.TakeReport();
}

TEST(ShownPipe, TheRenderersByteIsTheReportAndItsEndWithoutOneIsNot) {
  EXPECT_TRUE(ReportArrives("shown"));
  EXPECT_FALSE(ReportArrives("never"));
}

// A socket file, as a compositor makes one for its clients.
void MakeSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}

TEST(DisplayChoice, WaylandWhereItsSocketExistsX11ForHostsAndPreviewsAndElsewhere) {
  TempDir runtime;
  MakeSocket(runtime.path() + "/wayland-7");
  ScopedVariable runtime_variable("XDG_RUNTIME_DIR", runtime.path().c_str());
  {
    ScopedVariable x("DISPLAY", ":5");
    ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-7");
    EXPECT_EQ(SessionDisplay(false), DisplayKind::Wayland);  // both: the compositor's own
    EXPECT_EQ(SessionDisplay(true), DisplayKind::X11);       // a host's window, a preview
  }
  {
    // A stale name (a shell that outlived its compositor) does not count.
    ScopedVariable x("DISPLAY", ":5");
    ScopedVariable wayland("WAYLAND_DISPLAY", "wayland-8");
    EXPECT_EQ(SessionDisplay(false), DisplayKind::X11);
  }
  {
    ScopedVariable x("DISPLAY", "");
    ScopedVariable wayland("WAYLAND_DISPLAY", (runtime.path() + "/wayland-7").c_str());  // absolute
    EXPECT_EQ(SessionDisplay(false), DisplayKind::Wayland);
    EXPECT_EQ(SessionDisplay(true), DisplayKind::NoDisplay);  // no X window to draw in
  }
  {
    ScopedVariable x("DISPLAY", nullptr);
    ScopedVariable wayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_EQ(SessionDisplay(false), DisplayKind::NoDisplay);
  }
}

}  // namespace
}  // namespace oruna
