// Preloaded into the renderer by the tests: the X server turns down every
// display-mode change made through RandR, the way a display does that
// refuses the mode only at the moment it is applied. ORUNA_MODE_REFUSAL
// picks how: "fail" answers with a failure, "ignore" answers success but
// leaves the mode as it was.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>
#include <cstring>

namespace {

Status Answer() {
  const char* how = std::getenv("ORUNA_MODE_REFUSAL");
  return how != nullptr && std::strcmp(how, "ignore") == 0 ? Success : RRSetConfigFailed;
}

}  // namespace

extern "C" {

Status XRRSetCrtcConfig(Display*, XRRScreenResources*, RRCrtc, Time, int, int, RRMode, Rotation, RROutput*,
                        int) {
  return Answer();
}

Status XRRSetScreenConfig(Display*, XRRScreenConfiguration*, Drawable, int, Rotation, Time) { return Answer(); }

Status XRRSetScreenConfigAndRate(Display*, XRRScreenConfiguration*, Drawable, int, Rotation, short, Time) {
  return Answer();
}

}  // extern "C"
