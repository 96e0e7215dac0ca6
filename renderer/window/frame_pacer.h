// Frame pacing for a draw loop whose swap may or may not wait for the
// display. Where the swap waits (vsync honoured), frames already come one
// refresh apart and the pacer never asks for a wait. Where it returns at once
// (software GL, some drivers, remote displays), the pacer spaces the frames
// one refresh period apart, so that an animation that advances per frame runs
// at the speed it has with vsync instead of burning a core.
#pragma once

#include <chrono>
#include <optional>

namespace oruna {

class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;

  // `refresh_hz` is the display's refresh rate; 0 or less means unknown,
  // taken as 60 Hz.
  explicit FramePacer(int refresh_hz);

  // How long the loop should wait (for events) before it starts the next
  // frame; zero when the frame is due.
  Clock::duration TimeToNextFrame(Clock::time_point now) const;

  // Records one frame: drawing began at `start`, the swap returned at `end`.
  void FrameDone(Clock::time_point start, Clock::time_point end);

  Clock::duration period() const { return period_; }

 private:
  Clock::duration period_;
  Clock::duration tolerance_;
  std::optional<Clock::time_point> due_;  // the next frame's start
};

// Whole milliseconds to wait for `d`, rounded up so that a wait never ends
// before the frame is due.
int WaitMilliseconds(FramePacer::Clock::duration d);

}  // namespace oruna
