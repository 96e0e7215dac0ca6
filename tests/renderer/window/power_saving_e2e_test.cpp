// The real Oruna.dll and the display's power saving, on a private Xvfb. In a
// host's window the X server's own screen saver still comes on after its
// time-out (the host's blanking and power-down timers run) and nothing asks
// the session bus to inhibit the screen saver, while alone the renderer holds
// the server's saver off and asks the bus, as long as it runs. With the monitor reported off,
// in standby or suspended (a preloaded stand-in for the DPMS query, which
// Xvfb lacks), frames stop; reported on, they start again; Escape and
// SIGTERM still end the run while the monitor is dark.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
// clang-format on
#include <signal.h>
#include <stdio.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "renderer_e2e_support.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

// The X server's screen saver (MIT-SCREEN-SAVER): on once the server has
// seen no input for its time-out, unless a client suspends it. And a private
// session bus, on which a monitor records every call to the desktops'
// screen-saver service (none answers: the calls are seen all the same).
class ServerScreenSaver : public RendererOnScreenTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartScreen("1024x768x24"));
    int event_base = 0, error_base = 0;
    ASSERT_TRUE(XScreenSaverQueryExtension(x11_->get(), &event_base, &error_base));
    ASSERT_NO_FATAL_FAILURE(StartBusMonitor());
  }
  void StartBusMonitor() {
    ASSERT_FALSE(FindProgram("dbus-daemon").empty() || FindProgram("dbus-monitor").empty())
        << "install dbus-daemon and dbus-bin";
    const std::string socket = bus_dir_.path() + "/bus";
    bus_address_ = "unix:path=" + socket;
    bus_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "/bin/sh", "-c", "exec dbus-daemon --session --nofork --address=\"$0\" 2>/dev/null", bus_address_});
    ASSERT_TRUE(WaitUntil([&] { return FileExists(socket); }, 10s));
    calls_file_ = bus_dir_.path() + "/calls";
    const std::string watch = "exec dbus-monitor --address \"$0\" \"interface='org.freedesktop.ScreenSaver'\"";
    monitor_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "/bin/sh", "-c", watch + " >\"$1\" 2>/dev/null", bus_address_, calls_file_});
    // The monitor's own name comes and goes once it watches.
    ASSERT_TRUE(WaitUntil([&] { return ReadText(calls_file_).find("NameLost") != std::string::npos; }, 10s));
  }
  std::map<std::string, std::string> OnTheBus(std::map<std::string, std::string> env = {}) {
    env["DBUS_SESSION_BUS_ADDRESS"] = bus_address_;
    return env;
  }
  bool InhibitAsked() { return ReadText(calls_file_).find("member=Inhibit") != std::string::npos; }
  // Gives the server's saver a time-out of one second.
  void SetOneSecondTimeOut() {
    XSetScreenSaver(x11_->get(), 1, 0, PreferBlanking, AllowExposures);
    XSync(x11_->get(), False);
  }
  bool SaverOn() {
    XScreenSaverInfo info{};
    return XScreenSaverQueryInfo(x11_->get(), DefaultRootWindow(x11_->get()), &info) != 0 &&
           info.state == ScreenSaverOn;
  }
  bool SaverComesOnWithin(std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return SaverOn(); }, timeout);
  }

  TempDir bus_dir_;
  std::string bus_address_, calls_file_;
  std::unique_ptr<ChildProcess> bus_, monitor_;
};

TEST_F(ServerScreenSaver, InAHostsWindowTheServersSaverStillComesOnAndTheBusIsNotAsked) {
  // A black host window over the whole screen: the picture check sees the
  // scene, not the host.
  const Window host = MakeTestWindow(x11_->get(), 0, 0, 1024, 768, 0x000000);
  ASSERT_NO_FATAL_FAILURE(StartAndShow(OnTheBus({{"XSCREENSAVER_WINDOW", std::to_string(host)}})));
  SetOneSecondTimeOut();
  EXPECT_TRUE(SaverComesOnWithin(5s)) << "the renderer suspended the server's screen saver";
  EXPECT_FALSE(InhibitAsked()) << ReadText(calls_file_);
  run_.process().Kill(SIGTERM);  // a host's way to end its hack
  EXPECT_EQ(run_.process().Wait(5s), 0);
}

TEST_F(ServerScreenSaver, AloneTheRendererHoldsTheServersSaverOffAndAsksTheBusUntilItEnds) {
  ASSERT_NO_FATAL_FAILURE(StartAndShow(OnTheBus()));
  SetOneSecondTimeOut();
  EXPECT_FALSE(SaverComesOnWithin(3s)) << "the screen saver came on over the renderer";
  EXPECT_TRUE(InhibitAsked()) << ReadText(calls_file_);
  // The request names Oruna, as a desktop lists it to the user.
  EXPECT_NE(ReadText(calls_file_).find("string \"Oruna\""), std::string::npos) << ReadText(calls_file_);
  EndWithEscape();
  // The server's saver works: with the renderer gone it comes on.
  EXPECT_TRUE(SaverComesOnWithin(5s));
}

// The renderer with the stand-in monitor and its frame counter preloaded.
class DarkMonitor : public RendererOnScreenTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartScreen("1024x768x24"));
    level_file_ = run_.runtime() + "/monitor-level";
    frames_file_ = run_.runtime() + "/frames";
    SetLevel("on");
    // The sanitizer runtime wants to be loaded first; a preloaded library
    // comes before it, and this one replaces no function the runtime does.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asan_options = std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
    ASSERT_NO_FATAL_FAILURE(StartAndShow({{"LD_PRELOAD", ORUNA_MONITOR_POWER_SHIM},
                                          {"ORUNA_MONITOR_LEVEL_FILE", level_file_},
                                          {"ORUNA_FRAME_COUNT_FILE", frames_file_},
                                          {"ASAN_OPTIONS", asan_options}}));
  }
  // Replaced whole, so that the renderer never reads half a word.
  void SetLevel(const std::string& level) {
    const std::string next = level_file_ + ".next";
    ASSERT_TRUE(WriteFileBytes(next, std::vector<uint8_t>(level.begin(), level.end())));
    ASSERT_EQ(rename(next.c_str(), level_file_.c_str()), 0);
  }
  long Frames() { return std::atol(ReadText(frames_file_).c_str()); }
  bool FramesCome() {
    const long before = Frames();
    return WaitUntil([&] { return Frames() >= before + 3; }, 10s);
  }
  // Once the renderer has had time to look at the level (half a second, and
  // a slow frame that was already under way), no frame for a second.
  bool FramesStop() {
    SleepMs(1500);
    const long before = Frames();
    SleepMs(1000);
    return Frames() == before;
  }

  std::string level_file_, frames_file_;
};

TEST_F(DarkMonitor, FramesStopWhileOffInStandbyOrSuspendedAndStartAgainWhenOnAndEscapeEndsItWhileOff) {
  ASSERT_TRUE(FramesCome());
  for (const char* level : {"off", "standby", "suspend"}) {
    SetLevel(level);
    EXPECT_TRUE(FramesStop()) << level;
    SetLevel("on");
    EXPECT_TRUE(FramesCome()) << "after " << level;
  }
  SetLevel("off");
  ASSERT_TRUE(FramesStop());
  EndWithEscape();
}

TEST_F(DarkMonitor, SigtermEndsItWhileTheMonitorIsOff) {
  SetLevel("off");
  ASSERT_TRUE(FramesStop());
  run_.process().Kill(SIGTERM);
  EXPECT_EQ(run_.process().Wait(2s), 0);
}

}  // namespace
}  // namespace oruna::test
