// The mipmap chain of a texture, computed on the CPU: the image rescaled to
// power-of-two sides, then halved level by level down to 1 x 1.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace oruna {

// Packed RGB pixels, 3 bytes a pixel, rows of 3 * width bytes, in the source's
// row order.
struct RgbPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> data;
};

// The power of two a texture side of `side` pixels is scaled to: the nearer
// of the two powers around it (rounding up from one and a half times the
// lower one, so 3 -> 4, 5 -> 4, 6 -> 8, 300 -> 256), halved until it is
// not above `max_side`.
int MipmapSide(int side, int max_side);

// `src` (width x height) scaled to new_width x new_height by area averaging:
// each target pixel is the mean of the source area it covers, weighted by
// how much of each source pixel lies inside it. Rows and columns are scaled
// independently, so a side that keeps its size keeps its pixels exactly.
RgbPixels ResampleRgb(const uint8_t* src, int width, int height, int new_width, int new_height);

// Level 0 of the chain for a width x height image: MipmapSide of each side.
RgbPixels MipmapLevelZero(const uint8_t* src, int width, int height, int max_side);

// Every level of the chain from `level` (level 0) on, handed to `visit` in
// order: each level half the one before (a side stays 1 once it is 1),
// ending with 1 x 1. Only the level being visited and the one made from it
// are held at a time, and the source image is not needed at all, so the
// caller may release it first.
void ForEachMipmapLevel(RgbPixels level, const std::function<void(int level, const RgbPixels& pixels)>& visit);

}  // namespace oruna
