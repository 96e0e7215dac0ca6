// Whole-program timings of Oruna.scr /s with the real renderer under headless
// sway (pixman renderer, one 1280x800 output): natively on Wayland (XWayland
// disabled) and, for comparison in the same sitting, through XWayland (the
// saver given only the X display). Per run: from the start to the renderer's
// window in sway's tree, to the first screenshot that shows the scene over
// the whole output, and from Escape (a virtual keyboard) to the saver's exit.
// Screenshots take grim some tens of milliseconds, so the "shown" figure is
// an upper bound by about that much. Natively, also the renderer's CPU use
// while its workspace is shown and while sway shows another one (no frame
// callbacks: nothing should be drawn).
// Usage: saver_timing_wayland [runs]   (medians, default 5)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "wayland_session.h"

using namespace std::chrono;
using namespace std::chrono_literals;
using oruna::test::ChildProcess;
using oruna::test::Compositor;
using oruna::test::WaylandSession;

namespace {

constexpr int kWidth = 1280, kHeight = 800;

double Ms(steady_clock::duration d) { return duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

bool SceneFillsOutput(const oruna::test::Screenshot& shot) {
  if (shot.width != kWidth || shot.height != kHeight) return false;
  for (int y = 0; y < kHeight; y += 8)
    for (int x = 0; x < kWidth; x += 8)
      if (shot.At(x, y) == oruna::test::kDesktopBackground || shot.At(x, y) == oruna::test::kDesktopPanel)
        return false;
  return (shot.At(kWidth - 8, kHeight - 8) >> 16 & 0xff) > 128;
}

std::string SwaySocket(const WaylandSession& session) {
  for (const auto& entry : std::filesystem::directory_iterator(session.runtime_dir()))
    if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) return entry.path();
  return "";
}

struct Timings {
  std::vector<double> mapped, shown, escape;
  double cpu_shown = -1, cpu_hidden = -1;  // percent of one core
};

// utime + stime of a process, in clock ticks.
long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  long utime = 0, stime = 0;
  if (std::sscanf(line.c_str() + close + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime, &stime) != 2)
    return -1;
  return utime + stime;
}

// Percent of one core `pid` uses over `seconds`.
double CpuPercent(pid_t pid, int seconds) {
  const long before = CpuTicks(pid);
  oruna::test::SleepMs(seconds * 1000);
  return 100.0 * static_cast<double>(CpuTicks(pid) - before) / (static_cast<double>(sysconf(_SC_CLK_TCK)) * seconds);
}

// One sitting of `runs` runs in a fresh sway session.
bool Measure(bool native, int runs, Timings& t) {
  WaylandSession session(oruna::test::WaylandSessionOptions{Compositor::kSway, kWidth, kHeight, !native, ""});
  if (!session.ok()) {
    std::fprintf(stderr, "sway did not start: %s\n", session.why_not().c_str());
    return false;
  }
  const std::string programs = session.CopyPrograms(
      {oruna::test::BinaryDir() + "/Oruna.scr", oruna::test::BinaryDir() + "/Oruna.dll"});
  const std::string socket = "SWAYSOCK=" + SwaySocket(session);
  // Through XWayland the saver is given the X display alone.
  const std::map<std::string, std::string> extra =
      native ? std::map<std::string, std::string>{} : std::map<std::string, std::string>{{"WAYLAND_DISPLAY", ""}};
  for (int run = 0; run < runs; ++run) {
    const auto start = steady_clock::now();
    std::unique_ptr<ChildProcess> saver = session.StartClient({programs + "/Oruna.scr", "/s"}, extra);
    const bool mapped = oruna::test::WaitUntil([&] {
      return session.RunClient({"sh", "-c", "env " + socket + " swaymsg -t get_tree | grep -q Oruna_VC"}, 5s) == 0;
    }, 20s);
    const auto mapped_at = steady_clock::now();
    const bool shown = oruna::test::WaitUntil([&] {
      const std::optional<oruna::test::Screenshot> shot = session.TakeScreenshot();
      return shot.has_value() && SceneFillsOutput(*shot);
    }, 20s);
    const auto shown_at = steady_clock::now();
    oruna::test::SleepMs(500);
    if (native && run == 0) {
      const std::vector<pid_t> renderer = oruna::test::ProcessesIn(programs, "Oruna.dll");
      if (renderer.size() == 1) {
        const std::string swaymsg = "env " + socket + " swaymsg ";
        t.cpu_shown = CpuPercent(renderer[0], 3);
        session.RunClient({"sh", "-c", swaymsg + "workspace 9 >/dev/null"}, 5s);
        oruna::test::SleepMs(500);
        t.cpu_hidden = CpuPercent(renderer[0], 3);
        session.RunClient({"sh", "-c", swaymsg + "workspace 1 >/dev/null"}, 5s);
        oruna::test::SleepMs(500);
      }
    }
    const auto escape = steady_clock::now();
    session.PressKey("Escape", "Oruna_VC");
    const bool ended = saver->Wait(10s).has_value();
    const auto ended_at = steady_clock::now();
    if (!mapped || !shown || !ended) {
      std::fprintf(stderr, "run %d: mapped %d shown %d ended %d\n", run, mapped, shown, ended);
      return false;
    }
    t.mapped.push_back(Ms(mapped_at - start));
    t.shown.push_back(Ms(shown_at - start));
    // PressKey waits 150 ms for the virtual keyboard to be seen before the press.
    t.escape.push_back(Ms(ended_at - escape) - 150);
    oruna::test::SleepMs(300);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  for (const bool native : {true, false}) {
    Timings t;
    if (!Measure(native, runs, t)) return 1;
    std::printf("sway %-22s start to window %6.0f ms, to the whole output shown %6.0f ms, Escape to exit %5.0f ms"
                " (medians of %d)\n",
                native ? "native Wayland:" : "through XWayland:", Median(t.mapped), Median(t.shown),
                Median(t.escape), runs);
    if (native)
      std::printf("sway native Wayland: renderer CPU %.1f %% of a core with its workspace shown, %.1f %% with another"
                  " workspace shown (3 s each)\n", t.cpu_shown, t.cpu_hidden);
  }
  return 0;
}
