#include "wayland_session.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace oruna::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kStartTimeout = 15s;

std::string Hex(uint32_t rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "%06x", rgb);
  return text;
}

// The output painted in colours the scene does not show, so that any
// desktop pixel in a screenshot is told from the scene's. The `exec` line
// writes the XWayland display sway gives its clients where the rig finds it.
std::string SwayConfig(const WaylandSessionOptions& o, const std::string& display_file) {
  std::ostringstream c;
  c << "xwayland " << (o.xwayland ? "enable" : "disable") << "\n"
    << "output * mode " << o.width << "x" << o.height << " bg #" << Hex(kDesktopBackground) << " solid_color\n"
    << "bar {\n  position top\n  colors {\n    background #" << Hex(kDesktopPanel) << "\n  }\n}\n"
    << "exec sh -c 'echo \"$DISPLAY\" > " << display_file << ".part && mv " << display_file << ".part "
    << display_file << "'\n"
    << o.extra_sway_config << "\n";
  return c.str();
}

// weston's own desktop in the same colours: a plain background, the panel.
std::string WestonConfig() {
  return "[core]\nidle-time=0\n[shell]\nbackground-image=/nonexistent\nbackground-type=tile\n"
         "background-color=0xff" + Hex(kDesktopBackground) + "\npanel-color=0xff" + Hex(kDesktopPanel) +
         "\nlocking=false\nanimation=none\nstartup-animation=none\n";
}

// The user the session runs as when the tests run as root: owner of its
// folders. Nothing to change otherwise.
bool GiveToSessionUser(const std::string& path) {
  const std::optional<OtherUser> user = OrdinaryUserForRoot();
  return !user || chown(path.c_str(), user->uid, user->gid) == 0;
}

bool MakeOwnFolder(const std::string& path) {
  return mkdir(path.c_str(), 0700) == 0 && GiveToSessionUser(path);
}

bool WriteOwnFile(const std::string& path, const std::string& text) {
  return WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end())) && GiveToSessionUser(path);
}

// A binary PPM (P6, 8 bits per channel) as grim and convert write it.
std::optional<Screenshot> ReadPpm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, max = 0;
  in >> magic >> width >> height >> max;
  if (magic != "P6" || width <= 0 || height <= 0 || max != 255) return std::nullopt;
  in.get();  // the one blank after the header
  std::vector<unsigned char> bytes(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    return std::nullopt;
  Screenshot shot{width, height, {}};
  shot.pixels.reserve(bytes.size() / 3);
  for (size_t i = 0; i < bytes.size(); i += 3)
    shot.pixels.push_back(uint32_t{bytes[i]} << 16 | uint32_t{bytes[i + 1]} << 8 | bytes[i + 2]);
  return shot;
}

// "xserver listening on display :N" in weston's log, once it has started.
std::string WestonXDisplay(const std::string& log) {
  const std::string text = ReadText(log);
  const std::string marker = "listening on display ";
  const size_t at = text.find(marker);
  if (at == std::string::npos) return "";
  const size_t end = text.find_first_not_of(":0123456789", at + marker.size());
  return text.substr(at + marker.size(), end - at - marker.size());
}

}  // namespace

const char* CompositorName(Compositor compositor) { return compositor == Compositor::kWeston ? "weston" : "sway"; }

WaylandSession::WaylandSession(const WaylandSessionOptions& options) : options_(options) {
  if (!Start() && why_not_.empty()) why_not_ = "the compositor did not start";
  if (!ok()) End();
}

WaylandSession::~WaylandSession() { End(); }

std::vector<std::string> WaylandSession::AsSessionUser(std::vector<std::string> argv) const {
  if (argv[0].find('/') == std::string::npos) argv[0] = FindProgram(argv[0]);
  const std::optional<OtherUser> user = OrdinaryUserForRoot();
  if (!user) return argv;
  std::vector<std::string> wrapped = {FindProgram("setpriv"), "--reuid=" + std::to_string(user->uid),
                                      "--regid=" + std::to_string(user->gid), "--clear-groups"};
  wrapped.insert(wrapped.end(), argv.begin(), argv.end());
  return wrapped;
}

bool WaylandSession::Start() {
  const char* program = CompositorName(options_.compositor);
  for (const char* needed : {program, "setpriv"})
    if (FindProgram(needed).empty()) {
      why_not_ = std::string(needed) + " is not installed";
      return false;
    }
  // The folders' parent is the tests' own, which the session's user must
  // be able to pass through.
  runtime_dir_ = dir_.path() + "/runtime";
  home_ = dir_.path() + "/home";
  if (chmod(dir_.path().c_str(), 0711) != 0 || !MakeOwnFolder(runtime_dir_) || !MakeOwnFolder(home_)) {
    why_not_ = "no folders for the session";
    return false;
  }
  ShareLeakSuppressions();
  return (options_.compositor == Compositor::kWeston ? StartWeston() : StartSway()) && WaitForDesktop();
}

// The background is drawn by a client of the compositor (swaybg, weston's
// desktop shell) a little after the socket opens; a test's first screenshot
// must already show the desktop.
bool WaylandSession::WaitForDesktop() {
  const bool drawn = WaitUntil([&] {
    const std::optional<Screenshot> shot = TakeScreenshot();
    return shot && CountPixels(*shot, kDesktopBackground) > 0;
  }, kStartTimeout);
  if (!drawn) why_not_ = "no screenshot showed the desktop";
  return drawn;
}

std::map<std::string, std::string> WaylandSession::ClientEnvironment() const {
  std::map<std::string, std::string> env = {
      {"XDG_RUNTIME_DIR", runtime_dir_}, {"HOME", home_},    {"WAYLAND_DISPLAY", wayland_display_},
      {"DISPLAY", x_display_},           {"XAUTHORITY", ""}, {"XDG_CONFIG_HOME", home_ + "/.config"},
      {"XDG_CACHE_HOME", home_ + "/.cache"}, {"DBUS_SESSION_BUS_ADDRESS", "disabled:"}};
  if (!leak_options_.empty()) env["LSAN_OPTIONS"] = leak_options_;
  return env;
}

// A sanitized build's leak checker reads its suppressions file at the start
// and ends the program when it cannot: the session's user gets a copy it can
// read (the tests' own may lie in a folder only root enters).
void WaylandSession::ShareLeakSuppressions() {
  const char* options = std::getenv("LSAN_OPTIONS");
  if (options == nullptr || !OrdinaryUserForRoot()) return;
  std::string text = options;
  const std::string key = "suppressions=";
  const size_t at = text.find(key);
  if (at == std::string::npos) return;
  const size_t end = std::min(text.find(':', at), text.size());
  const std::string copy = dir_.path() + "/lsan.supp";
  if (!WriteFileBytes(copy, ReadFileBytes(text.substr(at + key.size(), end - at - key.size())))) return;
  chmod(copy.c_str(), 0644);
  leak_options_ = text.replace(at + key.size(), end - at - key.size(), copy);
}

bool WaylandSession::StartWeston() {
  wayland_display_ = "wayland-oruna";
  const std::string config = home_ + "/weston.ini", log = home_ + "/weston.log";
  if (!WriteOwnFile(config, WestonConfig())) return false;
  std::string backend = "--backend=headless-backend.so";
  if (options_.input_seat) {
    seat_display_ = StartXServer({FindProgram("Xvfb"), "-screen", "0",
                                  std::to_string(options_.width) + "x" + std::to_string(options_.height) + "x24",
                                  "-nolisten", "tcp"},
                                 kStartTimeout, seat_server_);
    if (seat_display_.empty()) {
      why_not_ = "no X server for weston's input seat";
      return false;
    }
    backend = "--backend=x11-backend.so";
  }
  std::vector<std::string> argv = {"weston", backend, "--use-pixman",
                                   "--socket=" + wayland_display_, "--width=" + std::to_string(options_.width),
                                   "--height=" + std::to_string(options_.height), "--config=" + config,
                                   "--log=" + log,
                                   // Lets weston-screenshooter bind the screenshot protocol.
                                   "--debug"};
  if (options_.xwayland) argv.push_back("--xwayland");
  std::map<std::string, std::string> env = ClientEnvironment();
  env.erase("WAYLAND_DISPLAY");  // weston would take it as a parent compositor
  if (options_.input_seat) env["DISPLAY"] = seat_display_;
  compositor_ = std::make_unique<ChildProcess>(AsSessionUser(argv), env);
  if (!WaitForSocket()) return false;
  if (!options_.xwayland) return true;
  // weston opens the X sockets at its start and XWayland itself on the
  // first client's connection.
  WaitUntil([&] { return !(x_display_ = WestonXDisplay(log)).empty(); }, kStartTimeout);
  if (x_display_.empty()) why_not_ = "weston named no XWayland display";
  return !x_display_.empty();
}

bool WaylandSession::StartSway() {
  const std::string config = home_ + "/sway.conf", display_file = runtime_dir_ + "/oruna-x-display";
  if (!WriteOwnFile(config, SwayConfig(options_, display_file))) return false;
  std::map<std::string, std::string> env = ClientEnvironment();
  env.erase("WAYLAND_DISPLAY");  // sway would run nested in it
  env["WLR_BACKENDS"] = "headless";
  env["WLR_RENDERER"] = "pixman";
  env["WLR_LIBINPUT_NO_DEVICES"] = "1";
  compositor_ = std::make_unique<ChildProcess>(AsSessionUser({"sway", "-c", config}), env);
  wayland_display_ = "wayland-1";  // sway takes the first free name in its own runtime folder
  if (!WaitForSocket()) return false;
  if (!options_.xwayland) return true;
  WaitUntil([&] { return FileExists(display_file); }, kStartTimeout);
  x_display_ = ReadText(display_file);
  x_display_.erase(std::remove(x_display_.begin(), x_display_.end(), '\n'), x_display_.end());
  if (x_display_.empty()) why_not_ = "sway named no XWayland display";
  return !x_display_.empty();
}

bool WaylandSession::WaitForSocket() {
  const std::string socket = runtime_dir_ + "/" + wayland_display_;
  const bool up = WaitUntil([&] { return FileExists(socket) || !compositor_->Running(); }, kStartTimeout) &&
                  compositor_->Running();
  if (!up) why_not_ = std::string(CompositorName(options_.compositor)) + " ended or opened no socket";
  return up;
}

std::unique_ptr<ChildProcess> WaylandSession::StartClient(const std::vector<std::string>& argv,
                                                          const std::map<std::string, std::string>& extra) const {
  std::map<std::string, std::string> env = ClientEnvironment();
  for (const auto& [key, value] : extra) env[key] = value;
  return std::make_unique<ChildProcess>(AsSessionUser(argv), env);
}

std::optional<int> WaylandSession::RunClient(const std::vector<std::string>& argv,
                                             std::chrono::milliseconds timeout) const {
  return StartClient(argv)->Wait(timeout);
}

std::string WaylandSession::CopyPrograms(const std::vector<std::string>& files) const {
  namespace fs = std::filesystem;
  const std::string folder = dir_.path() + "/programs";
  std::error_code error;
  fs::create_directories(folder, error);
  fs::permissions(folder, fs::perms(0755), error);
  for (const std::string& file : files) {
    const std::string target = folder + "/" + fs::path(file).filename().string();
    if (!fs::copy_file(file, target, fs::copy_options::overwrite_existing, error)) return "";
    fs::permissions(target, fs::perms(0755), error);
  }
  return folder;
}

std::optional<Screenshot> WaylandSession::TakeScreenshot() const {
  const std::string ppm = home_ + "/screenshot.ppm";
  unlink(ppm.c_str());
  if (options_.compositor == Compositor::kSway) {
    if (RunClient({"grim", "-t", "ppm", ppm}) != 0) return std::nullopt;
    return ReadPpm(ppm);
  }
  // weston-screenshooter writes wayland-screenshot-<time>.png into its
  // working folder: it gets a folder of its own.
  const std::string folder = home_ + "/shots";
  mkdir(folder.c_str(), 0700);
  GiveToSessionUser(folder);
  const std::string script = "cd " + folder + " && rm -f *.png && weston-screenshooter && convert *.png " + ppm;
  if (RunClient({"/bin/sh", "-c", script}) != 0) return std::nullopt;
  return ReadPpm(ppm);
}

bool WaylandSession::PressKey(const std::string& keysym, const std::string& x_window_title) const {
  // wtype's keyboard is new to the seat on every run, with a keymap of its
  // own: XWayland takes the keymap in first, or the key may go unseen.
  if (options_.compositor == Compositor::kSway)
    return RunClient({"wtype", "-s", "150", "-P", keysym, "-s", "30", "-p", keysym}) == 0;
  if (!seat_display_.empty())
    return SeatInput({"mousemove", std::to_string(options_.width / 2), std::to_string(options_.height / 2), "key",
                      keysym});
  // xdotool reports a failure after sending: it also reads the X focus,
  // which XWayland without a seat keyboard gives as PointerRoot. Having run
  // to its end is what counts.
  return !x_display_.empty() &&
         RunClient({"xdotool", "search", "--name", "^" + x_window_title + "$", "key", "--window", "%1", keysym})
             .has_value();
}

bool WaylandSession::MovePointer(int x, int y) const {
  return !seat_display_.empty() && SeatInput({"mousemove", std::to_string(x), std::to_string(y)});
}

// weston's X11 back end shows the output as a window at the seat server's
// origin, so the output's points are that screen's.
bool WaylandSession::SeatInput(const std::vector<std::string>& xdotool_arguments) const {
  std::vector<std::string> argv = {"xdotool"};
  argv.insert(argv.end(), xdotool_arguments.begin(), xdotool_arguments.end());
  return StartClient(argv, {{"DISPLAY", seat_display_}})->Wait(10s) == 0;
}

std::vector<pid_t> WaylandSession::CompositorDescendants() const {
  std::vector<pid_t> found;
  if (!compositor_ || !compositor_->started()) return found;
  std::vector<pid_t> parents = {compositor_->pid()};
  while (!parents.empty()) {
    const pid_t parent = parents.back();
    parents.pop_back();
    for (pid_t child : ChildrenOf(parent)) {
      found.push_back(child);
      parents.push_back(child);
    }
  }
  return found;
}

bool WaylandSession::End() {
  if (!compositor_) return true;
  const std::vector<pid_t> started = CompositorDescendants();
  bool clean = false;
  if (compositor_->Running()) {
    compositor_->Kill(SIGTERM);
    clean = compositor_->Wait(5s).has_value();
  }
  const bool all_gone = WaitUntil([&] {
    return std::none_of(started.begin(), started.end(), [](pid_t pid) { return kill(pid, 0) == 0; });
  }, 5s);
  if (!all_gone)  // whatever is left, so that no test leaves it behind
    for (pid_t pid : started) kill(pid, SIGKILL);
  compositor_.reset();                          // kills it if SIGTERM did not
  if (seat_server_ > 0) {
    kill(seat_server_, SIGTERM);
    waitpid(seat_server_, nullptr, 0);
    seat_server_ = -1;
  }
  return clean && all_gone;
}

size_t CountPixels(const Screenshot& shot, uint32_t rgb) {
  return static_cast<size_t>(std::count(shot.pixels.begin(), shot.pixels.end(), rgb));
}

bool Bright(uint32_t rgb) { return (rgb >> 16 & 0xff) > 128; }

bool SceneFillsOutput(const Screenshot& shot, int width, int height, int x0) {
  if (shot.width < x0 + width || shot.height < height) return false;
  for (int y = 0; y < height; y += 4)
    for (int x = x0; x < x0 + width; x += 4)
      if (shot.At(x, y) == kDesktopBackground || shot.At(x, y) == kDesktopPanel) return false;
  return Bright(shot.At(x0 + width - 8, height - 8)) && Bright(shot.At(x0 + width / 2 + 200, height / 2 + 200));
}

std::string Describe(const Screenshot& shot) {
  char text[96];
  std::snprintf(text, sizeof text, "%dx%d, top left %06x, middle %06x, bottom right %06x", shot.width, shot.height,
                shot.At(2, 2), shot.At(shot.width / 2, shot.height / 2), shot.At(shot.width - 8, shot.height - 8));
  return text;
}

}  // namespace oruna::test
