// Preloaded into the renderer by tests and benchmarks: a monitor with power
// saving on a server that has none (Xvfb), and a frame counter.
//   ORUNA_MONITOR_LEVEL_FILE  a file holding "on", "standby", "suspend" or
//                             "off" (missing or anything else: on); the DPMS
//                             queries answer with that level, DPMS enabled
//   ORUNA_FRAME_COUNT_FILE    when set, rewritten with the number of frames
//                             swapped so far, in decimal, after each swap
// Depends on: SDL2's and libXext's declarations; the real swap via dlsym.
#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xmd.h>
#include <X11/extensions/dpms.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

CARD16 LevelFromFile() {
  const char* path = std::getenv("ORUNA_MONITOR_LEVEL_FILE");
  char text[16] = {};
  if (path == nullptr) return DPMSModeOn;
  if (FILE* f = std::fopen(path, "r")) {
    if (std::fgets(text, sizeof text, f) == nullptr) text[0] = '\0';
    std::fclose(f);
  }
  text[std::strcspn(text, "\n")] = '\0';
  if (std::strcmp(text, "standby") == 0) return DPMSModeStandby;
  if (std::strcmp(text, "suspend") == 0) return DPMSModeSuspend;
  if (std::strcmp(text, "off") == 0) return DPMSModeOff;
  return DPMSModeOn;
}

// The count is written over the start of the file; it only grows, so the
// file never holds a longer, older number behind it.
void WriteFrameCount(unsigned long long frames) {
  static const int fd = [] {
    const char* path = std::getenv("ORUNA_FRAME_COUNT_FILE");
    return path == nullptr ? -1 : open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  }();
  if (fd < 0) return;
  char text[32];
  const int length = std::snprintf(text, sizeof text, "%llu\n", frames);
  if (pwrite(fd, text, static_cast<size_t>(length), 0) != length) return;
}

}  // namespace

extern "C" {

Bool DPMSQueryExtension(Display*, int* event_base, int* error_base) {
  *event_base = *error_base = 0;
  return True;
}

Bool DPMSCapable(Display*) { return True; }

Status DPMSInfo(Display*, CARD16* power_level, BOOL* state) {
  *power_level = LevelFromFile();
  *state = True;
  return 1;
}

void SDL_GL_SwapWindow(SDL_Window* window) {
  using Swap = void (*)(SDL_Window*);
  static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
  static unsigned long long frames = 0;
  if (real != nullptr) real(window);
  WriteFrameCount(++frames);
}

}  // extern "C"
