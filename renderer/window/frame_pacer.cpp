#include "frame_pacer.h"

namespace oruna {

namespace {
constexpr int kUnknownRefreshHz = 60;
}

FramePacer::FramePacer(int refresh_hz)
    : period_(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
          1.0 / (refresh_hz > 0 ? refresh_hz : kUnknownRefreshHz)))),
      tolerance_(period_ / 8) {}

FramePacer::Clock::duration FramePacer::TimeToNextFrame(Clock::time_point now) const {
  if (!due_ || *due_ <= now) return Clock::duration::zero();
  return *due_ - now;
}

void FramePacer::FrameDone(Clock::time_point start, Clock::time_point end) {
  // A frame that took about a period by itself (the swap waited for the
  // display, or drawing is that slow) needs no wait: waiting would only risk
  // missing the next refresh.
  if (end - start >= period_ - tolerance_) {
    due_ = end;
    return;
  }
  // Otherwise the next frame starts one period after this one. A frame that
  // began on time is counted from its planned start, so that waking up a
  // little late does not slow the animation down; a late one restarts the
  // schedule rather than rushing frames to catch up.
  const bool on_time = due_ && start <= *due_ + tolerance_;
  due_ = (on_time ? *due_ : start) + period_;
}

int WaitMilliseconds(FramePacer::Clock::duration d) {
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(d).count();
  return ms <= 0 ? 0 : static_cast<int>(ms);
}

}  // namespace oruna
