#include "corona_grid.h"

#include <cmath>

#include "random_source.h"

namespace oruna {
namespace {

CoronaGrid g_base;
CoronaGrid g_jittered;

// Degrees to radians with the scene's own single-precision factor; the grid
// closes only approximately with it, so the seam is copied explicitly.
constexpr float kDegToRad = 0.01745f;

}  // namespace

void BuildCoronaGrid() {
  for (int n = 0; n < kGridSize; ++n) {
    const double theta = static_cast<double>(static_cast<float>(n * 5.625) * kDegToRad);
    const float sin_theta = static_cast<float>(std::sin(theta));
    for (int m = 0; m < kGridSize; ++m) {
      const double phi = static_cast<double>(static_cast<float>(m * 11.25 - 90.0) * kDegToRad);
      g_base[m][n].x = static_cast<float>(std::cos(phi) * sin_theta);
      g_base[m][n].y = static_cast<float>(std::cos(theta));
      g_base[m][n].z = static_cast<float>(std::sin(phi) * sin_theta);
    }
  }
  for (int n = 0; n < kGridSize; ++n) g_base[kGridSize - 1][n] = g_base[0][n];
}

void JitterCoronaGrid() {
  for (int n = 0; n < kGridSize; ++n) {
    for (int m = 0; m < kGridSize; ++m) {
      // Evaluation order matters: x, then y, then z draw in turn.
      const float dx = static_cast<float>(NextRandom() % 2) / 250.0f;
      const float dy = static_cast<float>(NextRandom() % 2) / 250.0f;
      const float dz = static_cast<float>(NextRandom() % 2) / 250.0f;
      g_jittered[m][n] = {g_base[m][n].x + dx, g_base[m][n].y + dy, g_base[m][n].z + dz};
    }
  }
}

const CoronaGrid& BaseGrid() { return g_base; }
const CoronaGrid& JitteredGrid() { return g_jittered; }

}  // namespace oruna
