#include "desktop_rig.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

// One screen of 2048x768 so that both monitors fit side by side; the second
// output of the dummy driver is switched on with xrandr afterwards.
const char kDummyConfig[] = R"(Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2048 768
  EndSubSection
EndSection
)";

bool DummyDriverInstalled() {
  for (const char* dir : {"/usr/lib/xorg/modules/drivers", "/usr/lib64/xorg/modules/drivers"})
    if (FileExists(std::string(dir) + "/dummy_drv.so")) return true;
  return false;
}

int RunToEnd(const std::vector<std::string>& argv) {
  ChildProcess child(argv);
  return child.Wait(20s).value_or(-1);
}

bool WindowManagerAnnounced(Display* d) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                     AnyPropertyType, &type, &format, &items, &after, &data);
  if (data != nullptr) XFree(data);
  return items == 1;
}

// A window manager announces itself before it handles map requests, and a
// request that comes too early is lost. A probe window shows when it is ready.
bool ManagesNewWindows(Display* d) {
  const Window probe = MapColourWindow(d, 0, 0, 10, 10, 0, WindowKind::kNormal);
  const bool mapped = WaitUntil(
      [&] {
        XWindowAttributes attributes{};
        return XGetWindowAttributes(d, probe, &attributes) != 0 && attributes.map_state == IsViewable;
      },
      1s);
  XDestroyWindow(d, probe);
  XSync(d, False);
  return mapped;
}

}  // namespace

std::unique_ptr<ChildProcess> StartWindowManager(Display* display, const std::string& program) {
  std::vector<std::string> argv = {"/usr/bin/env", program};
  if (program == "xfwm4") argv.insert(argv.end(), {"--compositor=off", "--sm-client-disable"});
  auto wm = std::make_unique<ChildProcess>(argv);
  if (!WaitUntil([&] { return WindowManagerAnnounced(display); }, 20s) ||
      !WaitUntil([&] { return ManagesNewWindows(display); }, 20s))
    return nullptr;
  return wm;
}

TwoMonitorXorg::TwoMonitorXorg() {
  if (geteuid() != 0) why_not_ = "Xorg with a config file of our own needs root";
  else if (FindProgram("Xorg").empty()) why_not_ = "Xorg is not installed (xserver-xorg-core)";
  else if (!DummyDriverInstalled()) why_not_ = "the dummy driver is not installed (xserver-xorg-video-dummy)";
  else if (FindProgram("xrandr").empty()) why_not_ = "xrandr is not installed (x11-xserver-utils)";
  else if (!Start()) why_not_ = "Xorg did not start; see " + dir_.path() + "/xorg.log";
  else if (!AddSecondMonitor()) why_not_ = "xrandr could not switch on the second dummy output";
}

TwoMonitorXorg::~TwoMonitorXorg() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

bool TwoMonitorXorg::Start() {
  const std::string config = dir_.path() + "/xorg.conf";
  { std::ofstream(config) << kDummyConfig; }
  const std::string display = StartXServer(
      {"Xorg", "-config", config, "-logfile", dir_.path() + "/xorg.log", "-nolisten", "tcp", "-noreset"}, 20s, pid_);
  if (display.empty()) return false;
  display_variable_.Set(display);
  return true;
}

bool TwoMonitorXorg::AddSecondMonitor() {
  return RunToEnd({"/usr/bin/env", "xrandr", "--output", "DUMMY0", "--mode", "1024x768", "--primary"}) == 0 &&
         RunToEnd({"/usr/bin/env", "xrandr", "--addmode", "DUMMY1", "1024x768"}) == 0 &&
         RunToEnd({"/usr/bin/env", "xrandr", "--output", "DUMMY1", "--mode", "1024x768", "--right-of",
                   "DUMMY0"}) == 0;
}

Window MapColourWindow(Display* d, int x, int y, int width, int height, uint32_t rgb, WindowKind kind) {
  XSetWindowAttributes attributes{};
  attributes.background_pixel = rgb;  // a 24-bit TrueColor visual takes 0xRRGGBB as is
  const Window w = XCreateWindow(d, DefaultRootWindow(d), x, y, static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWBackPixel, &attributes);
  XSizeHints hints{};
  hints.flags = USPosition | USSize;
  hints.x = x;
  hints.y = y;
  hints.width = width;
  hints.height = height;
  XSetWMNormalHints(d, w, &hints);
  // No decorations (the Motif hints every window manager reads), so that the
  // colour fills exactly the rectangle asked for.
  const long motif[5] = {2, 0, 0, 0, 0};
  const Atom motif_atom = XInternAtom(d, "_MOTIF_WM_HINTS", False);
  XChangeProperty(d, w, motif_atom, motif_atom, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(motif), 5);
  if (kind == WindowKind::kAlwaysOnTop) {
    const Atom above = XInternAtom(d, "_NET_WM_STATE_ABOVE", False);
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&above), 1);
  } else if (kind == WindowKind::kDock) {
    const Atom dock = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(d, w, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dock), 1);
  }
  XMapWindow(d, w);
  XSync(d, False);
  return w;
}

bool RootPosition(Display* d, Window window, int& x, int& y) {
  Window child = None;
  return XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child) != 0;
}

}  // namespace oruna::test
