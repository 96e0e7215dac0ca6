// Test tool: draws the real scene offscreen-sized (a 1024x768 SDL window on
// the test's Xvfb), then writes the last frame as a PPM.
//   scene_snapshot <frames> <out.ppm>
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "scene.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768;

bool WritePpm(const char* path) {
  std::vector<unsigned char> rgb(kWidth * kHeight * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
  for (int y = kHeight - 1; y >= 0; --y) std::fwrite(&rgb[y * kWidth * 3], 1, kWidth * 3, f);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int frames = std::atoi(argv[1]);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 3;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_Window* window = SDL_CreateWindow("scene_snapshot", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) return 4;
  oruna::ResizeView(kWidth, kHeight);
  if (!oruna::InitScene()) return 5;
  for (int i = 0; i < frames; ++i) {
    oruna::DrawFrame();
    if (i + 1 < frames) SDL_GL_SwapWindow(window);
  }
  glFinish();
  // No SDL_Quit: unloading the GL driver would hide its allocations from the
  // leak checker's suppressions; the process ends here anyway.
  return WritePpm(argv[2]) ? 0 : 6;
}
