#include "mipmap_chain.h"

#include <algorithm>

namespace oruna {
namespace {

// Along one axis, `from` source pixels become `to` target pixels. In units of
// 1 / (from * to) of the axis, target pixel i spans [i * from, (i + 1) * from)
// and source pixel j spans [j * to, (j + 1) * to): a source pixel wholly
// inside a target pixel weighs `to`, and only the first and the last source
// pixel of a target pixel may be cut. The weights of one target pixel add up
// to `from`. Worked out as the pixels are visited, so nothing here grows with
// the source: a one-row image 89 million pixels wide needs no table at all.
struct Axis {
  int64_t from, to;
  int64_t First(int64_t i) const { return i * from / to; }
  // One past the last source pixel that target pixel i covers.
  int64_t End(int64_t i) const { return std::min(from, ((i + 1) * from + to - 1) / to); }
  uint64_t Weight(int64_t i, int64_t j) const {
    const int64_t begin = i * from, end = begin + from;
    return static_cast<uint64_t>(std::min(end, (j + 1) * to) - std::max(begin, j * to));
  }
};

}  // namespace

int MipmapSide(int side, int max_side) {
  int lower = 1;
  while (lower <= side / 2) lower *= 2;
  int result = lower >= 2 && side - lower >= lower / 2 ? lower * 2 : lower;
  while (result > max_side && result > 1) result /= 2;
  return result;
}

RgbPixels ResampleRgb(const uint8_t* src, int width, int height, int new_width, int new_height) {
  RgbPixels out{new_width, new_height,
                std::vector<uint8_t>(static_cast<size_t>(new_width) * static_cast<size_t>(new_height) * 3)};
  const Axis columns{width, new_width}, rows{height, new_height};
  const uint64_t total = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height);
  const size_t src_stride = static_cast<size_t>(width) * 3;
  std::vector<uint64_t> sums(static_cast<size_t>(new_width) * 3);
  uint8_t* dst = out.data.data();
  for (int64_t y = 0; y < new_height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int64_t row = rows.First(y); row < rows.End(y); ++row) {
      const uint64_t row_weight = rows.Weight(y, row);
      const uint8_t* line = src + static_cast<size_t>(row) * src_stride;
      for (int64_t x = 0; x < new_width; ++x) {
        uint64_t* sum = &sums[static_cast<size_t>(x) * 3];
        for (int64_t column = columns.First(x); column < columns.End(x); ++column) {
          const uint8_t* p = line + static_cast<size_t>(column) * 3;
          const uint64_t w = row_weight * columns.Weight(x, column);
          for (size_t c = 0; c < 3; ++c) sum[c] += w * p[c];
        }
      }
    }
    for (uint64_t sum : sums) *dst++ = static_cast<uint8_t>((sum + total / 2) / total);
  }
  return out;
}

RgbPixels MipmapLevelZero(const uint8_t* src, int width, int height, int max_side) {
  return ResampleRgb(src, width, height, MipmapSide(width, max_side), MipmapSide(height, max_side));
}

void ForEachMipmapLevel(RgbPixels level, const std::function<void(int level, const RgbPixels& pixels)>& visit) {
  for (int index = 0;; ++index) {
    visit(index, level);
    if (level.width <= 1 && level.height <= 1) return;
    level = ResampleRgb(level.data.data(), level.width, level.height, std::max(1, level.width / 2),
                        std::max(1, level.height / 2));
  }
}

}  // namespace oruna
