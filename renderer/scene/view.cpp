#include "scene.h"

namespace oruna {

void ResizeView(int width, int height) {
  if (height == 0) height = 1;  // no division by zero for a collapsed window
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace oruna
