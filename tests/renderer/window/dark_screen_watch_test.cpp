// The monitor's power level as the loop sees it: which DPMS answers count as
// dark, how seldom the server is asked, and a server without DPMS. The DPMS
// calls are this program's own, standing in for libXext's.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>
// clang-format on

#include "display_power_x11.h"

namespace {

struct FakeServer {
  bool has_dpms = true;
  bool capable = true;
  CARD16 level = DPMSModeOn;
  BOOL enabled = True;
  bool query_fails = false;
  int queries = 0;
};
FakeServer server;

}  // namespace

extern "C" {
Bool DPMSQueryExtension(Display*, int*, int*) { return server.has_dpms; }
Bool DPMSCapable(Display*) { return server.capable; }
Status DPMSInfo(Display*, CARD16* level, BOOL* enabled) {
  ++server.queries;
  if (server.query_fails) return 0;
  *level = server.level;
  *enabled = server.enabled;
  return 1;
}
}  // extern "C"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using Clock = DarkScreenWatch::Clock;

// Never used as a connection: the fake DPMS calls do not look at it.
Display* FakeDisplay() {
  static int stand_in = 0;
  return reinterpret_cast<Display*>(&stand_in);
}

class DarkScreenWatchTest : public ::testing::Test {
 protected:
  void SetUp() override { server = FakeServer{}; }
  // The answer to one query asked a full interval after the previous one.
  bool DarkAfterQuery() {
    now_ += DarkScreenWatch::kInterval;
    watch_.Poll(now_);
    return watch_.dark();
  }
  DarkScreenWatch watch_;
  Clock::time_point now_ = Clock::now();
};

TEST_F(DarkScreenWatchTest, OffStandbyAndSuspendAreDarkOnAndDpmsSwitchedOffAreNot) {
  watch_.Start(FakeDisplay());
  EXPECT_FALSE(DarkAfterQuery());
  for (CARD16 level : {DPMSModeStandby, DPMSModeSuspend, DPMSModeOff}) {
    server.level = level;
    EXPECT_TRUE(DarkAfterQuery()) << "level " << level;
  }
  // A query that fails says nothing new.
  server.query_fails = true;
  EXPECT_TRUE(DarkAfterQuery());
  server.query_fails = false;
  server.level = DPMSModeOn;
  EXPECT_FALSE(DarkAfterQuery());
  // DPMS switched off: the server does not power the monitor down.
  server.level = DPMSModeOff;
  server.enabled = False;
  EXPECT_FALSE(DarkAfterQuery());
}

TEST_F(DarkScreenWatchTest, TheServerIsAskedAtMostOncePerIntervalAndTheDarkLoopSleepsUntilThen) {
  watch_.Start(FakeDisplay());
  watch_.Poll(now_);
  EXPECT_EQ(server.queries, 1) << "the first pass asks at once";
  EXPECT_EQ(watch_.next_ask(), now_ + DarkScreenWatch::kInterval);
  server.level = DPMSModeOff;
  // A frame's worth of passes within the interval cost no round trip.
  for (auto t = now_; t < now_ + DarkScreenWatch::kInterval; t += 16ms) watch_.Poll(t);
  EXPECT_EQ(server.queries, 1);
  EXPECT_FALSE(watch_.dark());
  watch_.Poll(now_ + DarkScreenWatch::kInterval);
  EXPECT_EQ(server.queries, 2);
  EXPECT_TRUE(watch_.dark());
  EXPECT_EQ(watch_.next_ask(), now_ + 2 * DarkScreenWatch::kInterval);
}

TEST_F(DarkScreenWatchTest, WithoutDpmsOrAfterStopNothingIsAskedAndTheScreenStaysLit) {
  server.level = DPMSModeOff;
  for (const bool has_dpms : {false, true}) {
    server.has_dpms = has_dpms;
    server.capable = false;  // an extension without a monitor that takes part
    watch_.Start(FakeDisplay());
    EXPECT_FALSE(DarkAfterQuery());
  }
  watch_.Start(nullptr);
  EXPECT_FALSE(DarkAfterQuery());
  EXPECT_EQ(server.queries, 0);

  server.capable = true;
  watch_.Start(FakeDisplay());
  EXPECT_TRUE(DarkAfterQuery());
  watch_.Stop();
  EXPECT_FALSE(watch_.dark()) << "a stopped watch forgets the dark";
  EXPECT_FALSE(DarkAfterQuery());
  EXPECT_EQ(server.queries, 1);
}

}  // namespace
}  // namespace oruna
