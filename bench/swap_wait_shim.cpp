// A stand-in for a display that honours vsync, for measuring the renderer
// where the real swap never waits (Xvfb, software GL): preloaded into
// Oruna.dll, it makes every SDL_GL_SwapWindow return at the next tick of a
// 60 Hz clock, as a swap with a swap interval of 1 does.
//   LD_PRELOAD=.../libswap_wait_shim.so Oruna.dll
#include <SDL.h>
#include <dlfcn.h>
#include <time.h>

namespace {

constexpr long kPeriodNs = 1000000000L / 60;

void SleepUntilNextTick() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
  const long long next = (ns / kPeriodNs + 1) * kPeriodNs;
  const timespec until{static_cast<time_t>(next / 1000000000LL), static_cast<long>(next % 1000000000LL)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != 0) {
  }
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window* window) {
  using Swap = void (*)(SDL_Window*);
  static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
  if (real != nullptr) real(window);
  SleepUntilNextTick();
}
