// Where the black covers go: plain rectangle arithmetic over the monitors.
#include <algorithm>

#include "monitor_cover.h"

namespace oruna {
namespace {

bool Empty(const ScreenRect& r) { return r.width <= 0 || r.height <= 0; }

ScreenRect Intersection(const ScreenRect& a, const ScreenRect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.x + a.width, b.x + b.width);
  const int bottom = std::min(a.y + a.height, b.y + b.height);
  return {left, top, right - left, bottom - top};
}

// Appends `monitor` minus `hole` (which lies inside it): full-width bands
// above and below the hole, then the parts left and right of it.
void AddBandsAround(const ScreenRect& monitor, const ScreenRect& hole, std::vector<ScreenRect>& out) {
  const int right = monitor.x + monitor.width;
  const int bottom = monitor.y + monitor.height;
  const ScreenRect bands[] = {
      {monitor.x, monitor.y, monitor.width, hole.y - monitor.y},
      {monitor.x, hole.y + hole.height, monitor.width, bottom - (hole.y + hole.height)},
      {monitor.x, hole.y, hole.x - monitor.x, hole.height},
      {hole.x + hole.width, hole.y, right - (hole.x + hole.width), hole.height},
  };
  for (const ScreenRect& band : bands)
    if (!Empty(band)) out.push_back(band);
}

}  // namespace

std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& drawn) {
  std::vector<ScreenRect> out;
  std::vector<ScreenRect> seen;
  for (const ScreenRect& monitor : monitors) {
    if (Empty(monitor) || std::find(seen.begin(), seen.end(), monitor) != seen.end()) continue;
    seen.push_back(monitor);
    const ScreenRect hole = Intersection(monitor, drawn);
    if (Empty(hole)) out.push_back(monitor);
    else AddBandsAround(monitor, hole, out);
  }
  return out;
}

}  // namespace oruna
