// Timestamps of the steps of a start, for bench/start_profile.sh: preloaded
// into Oruna.scr and (inherited) Oruna.dll, it passes every call on unchanged
// and appends "<wall clock us> <program> <step>" to the file named by
// $ORUNA_START_PROFILE: when the program's libraries are loaded (this
// library's constructor, just before main), SDL started, the window created
// (the GL driver loads here), the context made, the window shown, the last
// look at the window before the first frame (after the scene set-up) and
// the first frame's swap begun and returned.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* Program() {
  static char name[64] = "";
  if (name[0] == '\0') {
    char path[512];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    path[n > 0 ? n : 0] = '\0';
    const char* slash = std::strrchr(path, '/');
    std::snprintf(name, sizeof name, "%.63s", slash != nullptr ? slash + 1 : path);
  }
  return name;
}

void Mark(const char* step) {
  const char* file = std::getenv("ORUNA_START_PROFILE");
  if (file == nullptr) return;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  char line[160];
  const int len = std::snprintf(line, sizeof line, "%lld %s %s\n",
                                static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000, Program(), step);
  const int fd = open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  (void)!write(fd, line, static_cast<size_t>(len));  // one write: lines of two programs do not mix
  close(fd);
}

template <typename F>
F Real(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void Loaded() { Mark("libraries-loaded"); }

}  // namespace

extern "C" int SDL_Init(Uint32 flags) {
  static const auto real = Real<int (*)(Uint32)>("SDL_Init");
  const int result = real(flags);
  Mark("sdl-started");
  return result;
}

extern "C" SDL_Window* SDL_CreateWindow(const char* title, int x, int y, int w, int h, Uint32 flags) {
  static const auto real = Real<SDL_Window* (*)(const char*, int, int, int, int, Uint32)>("SDL_CreateWindow");
  SDL_Window* window = real(title, x, y, w, h, flags);
  Mark("window-created");
  return window;
}

extern "C" SDL_GLContext SDL_GL_CreateContext(SDL_Window* window) {
  static const auto real = Real<SDL_GLContext (*)(SDL_Window*)>("SDL_GL_CreateContext");
  SDL_GLContext context = real(window);
  Mark("context-made");
  return context;
}

extern "C" void SDL_ShowWindow(SDL_Window* window) {
  static const auto real = Real<void (*)(SDL_Window*)>("SDL_ShowWindow");
  real(window);
  Mark("window-shown");
}

extern "C" SDL_bool SDL_GetWindowWMInfo(SDL_Window* window, SDL_SysWMinfo* info) {
  static const auto real = Real<SDL_bool (*)(SDL_Window*, SDL_SysWMinfo*)>("SDL_GetWindowWMInfo");
  Mark("window-looked-at");
  return real(window, info);
}

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
  static const auto real = Real<void (*)(SDL_Window*)>("SDL_GL_SwapWindow");
  static bool first = true;
  if (first) Mark("first-swap-begins");
  real(window);
  if (first) Mark("first-swap-returned");
  first = false;
}
