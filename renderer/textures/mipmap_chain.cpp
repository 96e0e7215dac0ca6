#include "mipmap_chain.h"

#include <algorithm>

namespace oruna {
namespace {

// One source pixel's share of a target pixel along one axis.
struct Share {
  int source;
  uint64_t weight;
};

// For each of `to` target pixels, the source pixels of `from` it covers and
// by how much. In units of 1 / (from * to) of the axis, target pixel i spans
// [i * from, (i + 1) * from) and source pixel j spans [j * to, (j + 1) * to);
// the weights of one target pixel add up to `from`.
std::vector<std::vector<Share>> AxisShares(int from, int to) {
  std::vector<std::vector<Share>> shares(static_cast<size_t>(to));
  for (int i = 0; i < to; ++i) {
    const int64_t begin = int64_t{i} * from, end = begin + from;
    for (int64_t j = begin / to; j < from && j * to < end; ++j) {
      const int64_t overlap = std::min(end, (j + 1) * to) - std::max(begin, j * to);
      if (overlap > 0) shares[static_cast<size_t>(i)].push_back({static_cast<int>(j), static_cast<uint64_t>(overlap)});
    }
  }
  return shares;
}

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
  const auto columns = AxisShares(width, new_width);
  const auto rows = AxisShares(height, new_height);
  const uint64_t total = uint64_t{static_cast<uint32_t>(width)} * static_cast<uint32_t>(height);
  const size_t src_stride = static_cast<size_t>(width) * 3;
  std::vector<uint64_t> sums(static_cast<size_t>(new_width) * 3);
  uint8_t* dst = out.data.data();
  for (const auto& row_shares : rows) {
    std::fill(sums.begin(), sums.end(), 0);
    for (const Share& row : row_shares) {
      const uint8_t* line = src + static_cast<size_t>(row.source) * src_stride;
      for (size_t x = 0; x < columns.size(); ++x) {
        for (const Share& column : columns[x]) {
          const uint8_t* p = line + static_cast<size_t>(column.source) * 3;
          const uint64_t w = row.weight * column.weight;
          for (size_t c = 0; c < 3; ++c) sums[x * 3 + c] += w * p[c];
        }
      }
    }
    for (uint64_t sum : sums) *dst++ = static_cast<uint8_t>((sum + total / 2) / total);
  }
  return out;
}

std::vector<RgbPixels> BuildMipmapChain(const uint8_t* src, int width, int height, int max_side) {
  std::vector<RgbPixels> chain;
  chain.push_back(ResampleRgb(src, width, height, MipmapSide(width, max_side), MipmapSide(height, max_side)));
  while (chain.back().width > 1 || chain.back().height > 1) {
    const RgbPixels& last = chain.back();
    chain.push_back(ResampleRgb(last.data.data(), last.width, last.height, std::max(1, last.width / 2),
                                std::max(1, last.height / 2)));
  }
  return chain;
}

}  // namespace oruna
