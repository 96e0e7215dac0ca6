// A Wayland desktop for end-to-end tests: a headless compositor (weston or
// sway, pixman renderer, one output of a chosen size) in a private runtime
// folder, with or without XWayland, and what a test does to it from outside:
// start clients in it, take a screenshot of the output, press a key, end it.
//
// Limits: one output, no real input devices (keys come from a virtual
// keyboard under sway, through XWayland's XTEST under headless weston, or
// from a private Xvfb's keyboard when weston runs on its X11 back end to
// have an input seat). The
// compositors refuse to run as root (sway) or are meant to run as the
// session's user, and XWayland lets in only that user: when the tests run as
// root, the compositor and every client started through the session run as
// the ordinary user "nobody" (setpriv), with a home and a runtime folder of
// its own.
// Depends on: weston 10 / sway 1.7 (with swaybar, swaybg), setpriv, grim
// and wtype (sway), weston-screenshooter and ImageMagick's convert (weston),
// xdotool (keys under weston), and test_support's processes and folders.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

namespace oruna::test {

enum class Compositor { kWeston, kSway };

const char* CompositorName(Compositor compositor);

struct WaylandSessionOptions {
  Compositor compositor = Compositor::kSway;
  int width = 1280;
  int height = 800;
  bool xwayland = true;
  // sway only: lines added to its configuration (an idle inhibitor rule,
  // a key binding...).
  std::string extra_sway_config;
  // weston only: run it on its X11 back end in a private Xvfb instead of
  // headless, so that it has an input seat (that server's keyboard and
  // pointer); headless weston has none, and some clients cannot start
  // without one.
  bool input_seat = false;
};

// The output as a screenshot shows it: 0xRRGGBB pixels, rows top first.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + x]; }
};

// The colours both sessions' desktops are painted in, which the scene never
// shows: a green background and a magenta panel (sway's bar) along the top.
constexpr uint32_t kDesktopBackground = 0x00c000;
constexpr uint32_t kDesktopPanel = 0xc000c0;

class WaylandSession {
 public:
  explicit WaylandSession(const WaylandSessionOptions& options);
  ~WaylandSession();  // ends the compositor (End)
  WaylandSession(const WaylandSession&) = delete;
  WaylandSession& operator=(const WaylandSession&) = delete;

  bool ok() const { return why_not_.empty(); }
  // What kept the session from starting (a program missing, no socket...).
  const std::string& why_not() const { return why_not_; }
  Compositor compositor() const { return options_.compositor; }

  // The session's runtime folder (XDG_RUNTIME_DIR) and its socket name
  // (WAYLAND_DISPLAY) in it; the XWayland display (":N"), empty without.
  const std::string& runtime_dir() const { return runtime_dir_; }
  const std::string& wayland_display() const { return wayland_display_; }
  const std::string& x_display() const { return x_display_; }
  const std::string& home() const { return home_; }
  pid_t compositor_pid() const { return compositor_ ? compositor_->pid() : -1; }

  // The environment of a client of the session: its runtime folder, home,
  // Wayland socket and XWayland display ($DISPLAY empty without XWayland,
  // so that an X client finds no other server).
  std::map<std::string, std::string> ClientEnvironment() const;
  // `argv` (argv[0] a program in $PATH or a full path) as a client of the
  // session, run as the session's user, with `extra` added to its environment.
  std::unique_ptr<ChildProcess> StartClient(const std::vector<std::string>& argv,
                                            const std::map<std::string, std::string>& extra = {}) const;
  // The same, run to its end; its exit code, nullopt when it did not end
  // within `timeout` (it is killed then).
  std::optional<int> RunClient(const std::vector<std::string>& argv,
                               std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

  // Copies `files` (full paths) into a folder the session's user can run
  // them from (the build folder may lie where that user cannot look), keeping
  // their names; the folder, empty when a copy failed.
  std::string CopyPrograms(const std::vector<std::string>& files) const;

  // The output as the compositor composes it (grim under sway,
  // weston-screenshooter under weston); nullopt when none could be taken.
  std::optional<Screenshot> TakeScreenshot() const;
  // Presses and releases the key named by its X keysym (Escape, Shift_L).
  // Under sway from a virtual keyboard to the focused window, which is also
  // input the compositor's idle timers see. Headless weston has no keyboard
  // and no protocol for a virtual one, and XWayland 22's XTEST crashes the
  // X server without a seat keyboard (seen here): the key goes as X events
  // to the X window titled `x_window_title`, which only X clients see.
  // weston with an input seat gets the key from its Xvfb's keyboard, with
  // the pointer over the output, and passes it to the focused surface.
  bool PressKey(const std::string& keysym, const std::string& x_window_title) const;
  // weston with an input seat only: moves the seat's pointer to (x, y) of
  // the output, as a mouse would.
  bool MovePointer(int x, int y) const;

  // Processes the compositor started (panel, background, XWayland...) and
  // their children, now.
  std::vector<pid_t> CompositorDescendants() const;
  // Ends the compositor (SIGTERM, then SIGKILL after 5 s); true when it
  // ended on SIGTERM and took every process it had started with it.
  bool End();

 private:
  bool Start();
  bool WaitForDesktop();
  bool StartWeston();
  bool StartSway();
  bool WaitForSocket();
  bool SeatInput(const std::vector<std::string>& xdotool_arguments) const;
  std::vector<std::string> AsSessionUser(std::vector<std::string> argv) const;
  void ShareLeakSuppressions();

  WaylandSessionOptions options_;
  TempDir dir_;
  std::string runtime_dir_, home_, wayland_display_, x_display_;
  std::string seat_display_;  // weston's own X server, with an input seat
  pid_t seat_server_ = -1;
  std::string leak_options_;  // LSAN_OPTIONS for the session's user, when changed
  std::string why_not_;
  std::unique_ptr<ChildProcess> compositor_;
};

// Number of pixels of `shot` that have exactly the colour `rgb`.
size_t CountPixels(const Screenshot& shot, uint32_t rgb);

// A pixel whose red is above half, as the star's are.
bool Bright(uint32_t rgb);
// The scene fills the width x height output at (x0, 0) of `shot`: no desktop
// pixel there, and the star, whose sphere reaches into the picture's bottom
// right corner, lit there (a scene drawn at 1024x768 in a larger window
// leaves that corner black).
bool SceneFillsOutput(const Screenshot& shot, int width, int height, int x0 = 0);
// A few pixels of `shot`, for a failure's message.
std::string Describe(const Screenshot& shot);

}  // namespace oruna::test
