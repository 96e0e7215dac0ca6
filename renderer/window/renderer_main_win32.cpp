// Oruna.dll entry on Windows: a GUI program that takes no arguments.
#include <windows.h>

#include "renderer_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // A failed start ends quietly with exit code 0.
  if (!oruna::CreateRendererWindow("Oruna_VC", 1024, 768, 32, true)) return 0;
  const int code = oruna::RunRendererLoop();
  oruna::DestroyRendererWindow();
  return code;
}
