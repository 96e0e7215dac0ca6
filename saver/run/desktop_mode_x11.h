// The desktop's display configuration on X11 (RandR), kept across a run so
// that a renderer that dies without its teardown does not leave the screen
// in its 1024x768 mode. The X server keeps whatever mode a client set after
// that client is gone; nothing else would give the desktop its mode back.
#pragma once
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <optional>
#include <vector>

namespace oruna {

class DesktopModeX11 {
 public:
  // The screen's size and what every CRTC shows now. Without RandR on the
  // display nothing is captured, and Restore does nothing.
  static DesktopModeX11 Capture(Display* display);

  // Puts back the screen's size and every CRTC whose mode, place, rotation
  // or outputs differ from the captured ones, as one step for every other
  // client (under a server grab). Errors (a CRTC or output gone since the
  // capture) are ignored: what can be put back is. True when anything
  // differed and was sent.
  bool Restore(Display* display) const;

  bool captured() const { return captured_; }

 private:
  struct Crtc {
    unsigned long id = 0, mode = 0;
    int x = 0, y = 0;
    unsigned short rotation = 0;
    std::vector<unsigned long> outputs;
    bool operator==(const Crtc&) const = default;
  };
  struct Screen {
    int width = 0, height = 0, width_mm = 0, height_mm = 0;
    bool operator==(const Screen&) const = default;
  };
  static Screen ReadScreen(Display* display);
  static std::optional<Crtc> ReadCrtc(Display* display, XRRScreenResources* resources, unsigned long id);

  bool captured_ = false;
  Screen screen_;
  std::vector<Crtc> crtcs_;
};

}  // namespace oruna
