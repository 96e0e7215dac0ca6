// The desktop's RandR configuration captured before a run and put back after
// a renderer that ended without its own teardown.
#include "desktop_mode_x11.h"

#include <algorithm>

namespace oruna {
namespace {

// The resources as they are now, without asking the outputs to be probed
// again (a probe reads every monitor's EDID and can take a long time).
XRRScreenResources* CurrentResources(Display* display) {
  int event_base = 0, error_base = 0, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &event_base, &error_base) || !XRRQueryVersion(display, &major, &minor) ||
      major < 1 || (major == 1 && minor < 3))
    return nullptr;
  return XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
}

// Errors of the requests sent while putting things back are expected where
// the configuration has changed since the capture; they must not end the
// saver through Xlib's default handler.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::optional<DesktopModeX11::Crtc> DesktopModeX11::ReadCrtc(Display* display, XRRScreenResources* resources,
                                                             unsigned long id) {
  XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, id);
  if (info == nullptr) return std::nullopt;
  Crtc crtc{id, info->mode, info->x, info->y, info->rotation, {}};
  crtc.outputs.assign(info->outputs, info->outputs + info->noutput);
  XRRFreeCrtcInfo(info);
  return crtc;
}

DesktopModeX11::Screen DesktopModeX11::ReadScreen(Display* display) {
  XWindowAttributes root{};
  XGetWindowAttributes(display, DefaultRootWindow(display), &root);
  const int screen = DefaultScreen(display);
  return {root.width, root.height, DisplayWidthMM(display, screen), DisplayHeightMM(display, screen)};
}

DesktopModeX11 DesktopModeX11::Capture(Display* display) {
  DesktopModeX11 mode;
  XRRScreenResources* resources = display != nullptr ? CurrentResources(display) : nullptr;
  if (resources == nullptr) return mode;
  for (int i = 0; i < resources->ncrtc; ++i)
    if (const auto crtc = ReadCrtc(display, resources, resources->crtcs[i])) mode.crtcs_.push_back(*crtc);
  XRRFreeScreenResources(resources);
  mode.screen_ = ReadScreen(display);
  mode.captured_ = true;
  return mode;
}

bool DesktopModeX11::Restore(Display* display) const {
  if (!captured_ || display == nullptr) return false;
  XRRScreenResources* resources = CurrentResources(display);
  if (resources == nullptr) return false;
  XGrabServer(display);
  // Only what differs is touched: a CRTC the renderer left alone keeps
  // showing without a flicker.
  std::vector<Crtc> changed;
  for (const Crtc& before : crtcs_) {
    if (std::find(resources->crtcs, resources->crtcs + resources->ncrtc, before.id) ==
        resources->crtcs + resources->ncrtc)
      continue;  // gone since the capture
    const auto now = ReadCrtc(display, resources, before.id);
    if (now && !(*now == before)) changed.push_back(before);
  }
  const Screen screen_now = ReadScreen(display);
  const bool resize = screen_now.width != screen_.width || screen_now.height != screen_.height;
  if (!changed.empty() || resize) {
    XSync(display, False);
    const auto previous_handler = XSetErrorHandler(IgnoreError);
    // The changed CRTCs are switched off first, so that the screen may take
    // its old size whatever they show now; then each gets its old setting.
    for (const Crtc& crtc : changed)
      XRRSetCrtcConfig(display, resources, crtc.id, CurrentTime, 0, 0, None, RR_Rotate_0, nullptr, 0);
    if (resize)
      XRRSetScreenSize(display, DefaultRootWindow(display), screen_.width, screen_.height, screen_.width_mm,
                       screen_.height_mm);
    for (Crtc crtc : changed)
      XRRSetCrtcConfig(display, resources, crtc.id, CurrentTime, crtc.x, crtc.y, crtc.mode, crtc.rotation,
                       crtc.outputs.data(), static_cast<int>(crtc.outputs.size()));
    XSync(display, False);
    XSetErrorHandler(previous_handler);
  }
  XUngrabServer(display);
  XSync(display, False);
  XRRFreeScreenResources(resources);
  return !changed.empty() || resize;
}

}  // namespace oruna
