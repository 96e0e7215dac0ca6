// Frames per second at 1024x768 on the current display, three ways in one
// run: the product's immediate-mode scene, a clear-and-swap loop (the floor
// of the machine) and the same frame replayed from a display list (the floor
// of this picture). glFinish after every frame makes each frame real.
//   renderer_fps [seconds per mode]   (textures from the exchange folder)
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "scene.h"

namespace {

using Clock = std::chrono::steady_clock;

double MeasureFps(SDL_Window* window, double seconds, const std::function<void()>& frame) {
  for (int i = 0; i < 10; ++i) frame();  // warm up caches and the driver
  int frames = 0;
  const auto start = Clock::now();
  double elapsed = 0;
  while (elapsed < seconds) {
    frame();
    glFinish();
    SDL_GL_SwapWindow(window);
    ++frames;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  }
  return frames / elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_Window* window = SDL_CreateWindow("renderer_fps", 0, 0, 1024, 768, SDL_WINDOW_OPENGL);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) return 2;
  SDL_GL_SetSwapInterval(0);  // measure drawing, not the display's rate
  oruna::ResizeView(1024, 768);
  if (!oruna::InitScene()) {
    std::fprintf(stderr, "no textures in the exchange folder\n");
    return 3;
  }
  const double scene = MeasureFps(window, seconds, [] { oruna::DrawFrame(); });
  const double clear = MeasureFps(window, seconds, [] { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); });
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  oruna::DrawFrame();
  glEndList();
  const double retained = MeasureFps(window, seconds, [list] { glCallList(list); });
  std::printf("immediate-mode scene : %8.1f fps\n", scene);
  std::printf("clear and swap only  : %8.1f fps\n", clear);
  std::printf("retained (disp. list): %8.1f fps\n", retained);
  std::printf("retained / scene     : %8.2fx\n", retained / scene);
  std::printf("clear / scene        : %8.2fx\n", clear / scene);
  SDL_Quit();
  return 0;
}
