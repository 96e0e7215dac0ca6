// The frame pacer driven by a simulated clock and display: a loop that waits
// when told, draws for a fixed time and swaps, where the swap either returns
// at once or waits for the display's next refresh. Frame counts are checked
// against what the display's rate alone allows over the simulated time.
#include "frame_pacer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace oruna {
namespace {

using namespace std::chrono;
using Clock = FramePacer::Clock;

struct FakeDisplay {
  double refresh_hz = 0;       // 0: the swap never waits
  microseconds draw{3000};     // drawing one frame
  microseconds late_wake{0};   // how much later than asked a wait ends
};

// Runs the loop for `span` of simulated time; returns the times at which the
// swaps returned, in microseconds from the start.
std::vector<int64_t> RunLoop(FramePacer& pacer, const FakeDisplay& display, seconds span) {
  const Clock::time_point origin{};
  Clock::time_point now = origin + hours(1);  // any point of the clock will do
  const Clock::time_point begin = now;
  std::vector<int64_t> presents;
  while (now - begin < span) {
    const Clock::duration wait = pacer.TimeToNextFrame(now);
    if (wait > Clock::duration::zero()) {
      now += milliseconds(WaitMilliseconds(wait)) + display.late_wake;
      continue;
    }
    const Clock::time_point start = now;
    now += display.draw;
    if (display.refresh_hz > 0) {  // the swap returns at the next refresh
      const double period_us = 1e6 / display.refresh_hz;
      const double t = static_cast<double>(duration_cast<microseconds>(now - origin).count());
      const double next = std::ceil(t / period_us) * period_us;
      now = origin + microseconds(static_cast<int64_t>(std::llround(next)));
    }
    pacer.FrameDone(start, now);
    presents.push_back(duration_cast<microseconds>(now - begin).count());
  }
  return presents;
}

TEST(FramePacer, SwapThatReturnsAtOnceIsPacedToTheRefreshRate) {
  // 10 s at 60 Hz is 600 frames; at 75 Hz, 750; an unknown rate counts as 60.
  for (const auto& [hz, frames] : std::vector<std::pair<int, int>>{{60, 600}, {75, 750}, {0, 600}, {-1, 600}}) {
    FramePacer pacer(hz);
    const auto presents = RunLoop(pacer, FakeDisplay{}, seconds(10));
    EXPECT_NEAR(static_cast<double>(presents.size()), frames, 1) << hz << " Hz";
    // Evenly spaced: no burst of frames to catch up, no frame held back twice.
    const int64_t period_us = 1000000 / (hz > 0 ? hz : 60);
    for (size_t i = 1; i < presents.size(); ++i) {
      ASSERT_GE(presents[i] - presents[i - 1], period_us - 1000) << hz << " Hz, frame " << i;
      ASSERT_LE(presents[i] - presents[i - 1], period_us + 1000) << hz << " Hz, frame " << i;
    }
  }
}

TEST(FramePacer, WaitsThatEndLateDoNotSlowTheAnimation) {
  // Waits are whole milliseconds rounded up, and a busy machine wakes the
  // loop later still; the frames keep to the refresh rate on average.
  FramePacer pacer(60);
  const auto presents = RunLoop(pacer, FakeDisplay{0, microseconds(2000), microseconds(900)}, seconds(10));
  EXPECT_NEAR(static_cast<double>(presents.size()), 600, 1);
}

TEST(FramePacer, SwapThatWaitsForTheDisplayIsNeverHeldBack) {
  // With vsync honoured every refresh shows a new frame, also when the rate
  // the display reports (60) is a little off its real one.
  for (double real_hz : {60.0, 59.94, 60.05, 60.4, 59.6}) {
    FramePacer pacer(60);
    const auto presents = RunLoop(pacer, FakeDisplay{real_hz, microseconds(5000), microseconds(0)}, seconds(10));
    // At most the first refresh is missed while the pacer learns that the swap waits.
    EXPECT_GE(static_cast<double>(presents.size()), real_hz * 10 - 2) << real_hz << " Hz";
    const int64_t period_us = std::llround(1e6 / real_hz);
    int missed = 0;
    for (size_t i = 1; i < presents.size(); ++i)
      if (presents[i] - presents[i - 1] > period_us + 100) ++missed;
    EXPECT_LE(missed, 1) << real_hz << " Hz";
  }
}

TEST(FramePacer, SlowDrawingIsNeverDelayedFurther) {
  // 30 ms frames are slower than the display: each starts as the last ends.
  FramePacer pacer(60);
  const auto presents = RunLoop(pacer, FakeDisplay{0, microseconds(30000), microseconds(0)}, seconds(3));
  EXPECT_EQ(presents.size(), 100u);
}

TEST(FramePacer, FirstFrameIsDueAtOnceAndWaitsRoundUpToWholeMilliseconds) {
  FramePacer pacer(60);
  EXPECT_EQ(pacer.TimeToNextFrame(Clock::now()), Clock::duration::zero());
  EXPECT_EQ(WaitMilliseconds(microseconds(16100)), 17);
  EXPECT_EQ(WaitMilliseconds(microseconds(1)), 1);
  EXPECT_EQ(WaitMilliseconds(milliseconds(16)), 16);
  EXPECT_EQ(WaitMilliseconds(Clock::duration::zero()), 0);
  EXPECT_EQ(WaitMilliseconds(-milliseconds(5)), 0);
}

}  // namespace
}  // namespace oruna
