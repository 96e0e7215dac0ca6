// The corona shell: a unit sphere sampled on a 33 x 33 grid, and a copy of it
// re-jittered outwards every frame.
#pragma once

namespace oruna {

struct GridVertex {
  float x, y, z;
};

constexpr int kGridSize = 33;  // 32 x 32 cells
using CoronaGrid = GridVertex[kGridSize][kGridSize];  // indexed [m][n]

// Fills the base grid once: n walks the polar angle from the +y pole, m the
// azimuth from -90 degrees; the last column is made equal to the first.
void BuildCoronaGrid();

// Rewrites the jittered grid: every coordinate of the base grid plus 0 or
// 0.004, one random draw each (3,267 draws per call).
void JitterCoronaGrid();

const CoronaGrid& BaseGrid();
const CoronaGrid& JitteredGrid();

}  // namespace oruna
