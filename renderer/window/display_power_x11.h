// Whether anyone can see the renderer's picture on Linux/X11: not while the
// X server's DPMS extension reports the monitor off, in standby or suspended.
// The loop waits instead of drawing then, so that a saver left running all
// night does not keep a core busy for a dark monitor, and draws again once
// the monitor is back on.
// Limits: X sends no notice of a power-level change, so the level is asked
// for, at most once per interval; a change shows up to one interval late. A
// server without DPMS (Xvfb, nested servers), or with DPMS switched off,
// counts as lit. DPMS has one level for all of a server's monitors.
// Depends on: Xlib, libXext (DPMS).
#pragma once
#include <X11/Xlib.h>

#include <chrono>

namespace oruna {

class DarkScreenWatch {
 public:
  using Clock = std::chrono::steady_clock;
  // Often enough that the picture is back soon after the monitor wakes,
  // seldom enough that a lit monitor costs one round trip per half second
  // rather than one per frame.
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(500);

  // Watches the server of `display` (the renderer's own connection, which
  // stays the caller's) when it offers DPMS; otherwise the screen stays lit.
  void Start(Display* display);
  void Stop();

  // Asks the server for the power level when the last answer is older than
  // kInterval (or there is none yet); otherwise changes nothing.
  void Poll(Clock::time_point now);

  bool dark() const { return dark_; }
  // When Poll will next ask the server; a dark loop sleeps until then.
  Clock::time_point next_ask() const { return asked_ + kInterval; }

 private:
  Display* display_ = nullptr;
  bool asked_once_ = false;
  Clock::time_point asked_{};
  bool dark_ = false;
};

}  // namespace oruna
