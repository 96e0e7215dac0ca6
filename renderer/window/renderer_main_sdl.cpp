// Oruna.dll entry on Linux/X11: no arguments, no configuration.
#define SDL_MAIN_HANDLED
#include "renderer_window.h"

int main() {
  // A failed start ends quietly with exit code 0: nothing reads the code, and
  // the saver notices the missing window by itself.
  if (!oruna::CreateRendererWindow("Oruna_VC", 1024, 768, 32, true)) return 0;
  const int code = oruna::RunRendererLoop();
  oruna::DestroyRendererWindow();
  return code;
}
