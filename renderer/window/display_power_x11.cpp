// The monitor's power level as the X server's DPMS extension reports it.
#include "display_power_x11.h"

#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>

namespace oruna {

void DarkScreenWatch::Start(Display* display) {
  Stop();
  int event_base = 0, error_base = 0;
  // Without the extension or a monitor that takes part, the level never
  // changes: nothing is asked at all.
  if (display == nullptr || !DPMSQueryExtension(display, &event_base, &error_base) || !DPMSCapable(display))
    return;
  display_ = display;
}

void DarkScreenWatch::Stop() { *this = DarkScreenWatch{}; }

void DarkScreenWatch::Poll(Clock::time_point now) {
  if (display_ == nullptr || (asked_once_ && now < next_ask())) return;
  asked_once_ = true;
  asked_ = now;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  // With DPMS switched off the server powers nothing down, whatever level
  // it reports; a failed query leaves the last answer.
  if (DPMSInfo(display_, &level, &enabled)) dark_ = enabled && level != DPMSModeOn;
}

}  // namespace oruna
