// Whole-program timings of Oruna.scr with the real renderer under a private
// Xvfb: from "Oruna.scr /s" to the renderer's window being mapped and to its
// first drawn frame (the screen's centre leaving black), from Escape to the
// saver's exit, and the saver's CPU use while it watches the renderer; also
// when the saver started the renderer's process, which splits the start into
// the saver's part and the renderer's.
// Usage: saver_timing [runs] [folder]   (median of the runs, default 7; the
// programs are taken from `folder`, default the build's bin folder, so that
// two builds can be compared on one machine at one time)
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"
#include "window_search_x11.h"

using namespace std::chrono;
using oruna::test::ChildProcess;

namespace {

double Ms(steady_clock::duration d) { return duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// utime + stime of a process, in clock ticks.
long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(in, line);
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  long fields[15] = {};
  char state = 0;
  // Fields after the name: state, ppid, ..., utime (14th), stime (15th).
  if (std::sscanf(line.c_str() + close + 1, " %c %ld %ld %ld %ld %ld %ld %ld %ld %ld %ld %ld %ld", &state,
                  &fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5], &fields[6],
                  &fields[7], &fields[8], &fields[9], &fields[10], &fields[11]) != 13)
    return -1;
  return fields[10] + fields[11];
}

bool Mapped(Display* display, Window window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

unsigned long CentrePixel(Display* display) {
  const int x = DisplayWidth(display, 0) / 2, y = DisplayHeight(display, 0) / 2;
  XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
  if (image == nullptr) return 0;
  const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
  XDestroyImage(image);
  return pixel;
}

// A child process of `parent`, 0 while it has none.
pid_t FirstChild(pid_t parent) {
  pid_t found = 0;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return 0;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const size_t close = line.rfind(')');
    char state = 0;
    int ppid = 0;
    if (close != std::string::npos && std::sscanf(line.c_str() + close + 1, " %c %d", &state, &ppid) == 2 &&
        ppid == parent) {
      found = pid;
      break;
    }
  }
  closedir(proc);
  return found;
}

struct Run {
  double to_renderer_start = -1, to_map = -1, to_frame = -1, escape_to_window_gone = -1, escape_to_exit = -1;
  double watch_cpu_percent = -1;
};

Run OneRun(Display* display, const std::string& folder, const std::map<std::string, std::string>& env,
           bool measure_cpu) {
  Run run;
  // The frame counts as drawn once the screen's centre shows neither the bare
  // root window nor the black of a fresh window.
  const unsigned long bare = CentrePixel(display);
  const auto start = steady_clock::now();
  ChildProcess saver({folder + "/Oruna.scr", "/s"}, env);
  Window window = None;
  while (steady_clock::now() - start < seconds(20)) {
    if (run.to_renderer_start < 0 && FirstChild(saver.pid()) != 0)
      run.to_renderer_start = Ms(steady_clock::now() - start);
    if (window == None) window = oruna::FindX11WindowByTitle(display, "Oruna_VC");
    if (window != None && run.to_map < 0 && Mapped(display, window)) run.to_map = Ms(steady_clock::now() - start);
    const unsigned long centre = run.to_map >= 0 ? CentrePixel(display) : bare;
    if (centre != bare && centre != 0) {
      run.to_frame = Ms(steady_clock::now() - start);
      break;
    }
    usleep(1000);
  }
  if (run.to_frame < 0) return run;

  if (measure_cpu) {
    const long before = CpuTicks(saver.pid());
    const auto t0 = steady_clock::now();
    sleep(5);
    const long after = CpuTicks(saver.pid());
    const double seconds_spent = static_cast<double>(after - before) / static_cast<double>(sysconf(_SC_CLK_TCK));
    run.watch_cpu_percent = 100.0 * seconds_spent / duration<double>(steady_clock::now() - t0).count();
  } else {
    usleep(500 * 1000);
  }

  const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
  const auto pressed = steady_clock::now();
  XTestFakeKeyEvent(display, escape, True, CurrentTime);
  XTestFakeKeyEvent(display, escape, False, CurrentTime);
  XSync(display, False);
  while (steady_clock::now() - pressed < seconds(10) && oruna::FindX11WindowByTitle(display, "Oruna_VC") != None)
    usleep(1000);
  run.escape_to_window_gone = Ms(steady_clock::now() - pressed);
  if (saver.Wait(seconds(10))) run.escape_to_exit = Ms(steady_clock::now() - pressed);
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const std::string programs = argc > 2 ? argv[2] : oruna::test::BinaryDir();
  oruna::test::XvfbServer xvfb;
  oruna::test::TempDir temp;
  if (!xvfb.ok()) {
    std::fprintf(stderr, "Xvfb did not start\n");
    return 1;
  }
  Display* display = XOpenDisplay(nullptr);
  const std::string folder = temp.path() + "/program", runtime = temp.path() + "/runtime";
  mkdir(folder.c_str(), 0700);
  mkdir(runtime.c_str(), 0700);
  for (const char* name : {"Oruna.scr", "Oruna.dll"})
    std::filesystem::copy_file(programs + "/" + name, folder + "/" + name);
  // The modules, where the build has them, as installed beside the programs.
  for (const char* name : {"Oruna.settings.so", "Oruna.music.so"})
    if (std::filesystem::exists(programs + "/" + name))
      std::filesystem::copy_file(programs + "/" + name, folder + "/" + name);
  const std::map<std::string, std::string> env = {
      {"XDG_RUNTIME_DIR", runtime}, {"HOME", temp.path()}, {"XDG_CONFIG_HOME", temp.path() + "/config"},
      {"SDL_AUDIODRIVER", "dummy"}};

  std::vector<double> to_renderer, to_map, to_frame, to_gone, to_exit;
  double cpu = -1;
  for (int i = 0; i < runs; ++i) {
    const Run run = OneRun(display, folder, env, i == 0);
    if (run.to_frame < 0 || run.escape_to_exit < 0) {
      std::fprintf(stderr, "run %d did not complete\n", i + 1);
      continue;
    }
    if (run.watch_cpu_percent >= 0) cpu = run.watch_cpu_percent;
    to_renderer.push_back(run.to_renderer_start);
    to_map.push_back(run.to_map);
    to_frame.push_back(run.to_frame);
    to_gone.push_back(run.escape_to_window_gone);
    to_exit.push_back(run.escape_to_exit);
    std::printf("run %d: renderer started %.0f ms, window mapped %.0f ms, first frame %.0f ms; Escape to renderer window gone %.0f ms, "
                "to saver exit %.0f ms\n",
                i + 1, run.to_renderer_start, run.to_map, run.to_frame, run.escape_to_window_gone, run.escape_to_exit);
  }
  std::printf("median of %zu runs: /s to renderer started %.0f ms, to window mapped %.0f ms, to first frame %.0f ms; Escape to renderer "
              "window gone %.0f ms, to saver exit %.0f ms (saver exit polled every 10 ms)\n",
              to_frame.size(), Median(to_renderer), Median(to_map), Median(to_frame), Median(to_gone), Median(to_exit));
  std::printf("saver CPU while watching (5 s): %.2f %%\n", cpu);
  XCloseDisplay(display);
  return 0;
}
