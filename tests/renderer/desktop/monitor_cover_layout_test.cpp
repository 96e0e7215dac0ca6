// Where the black covers go, against rectangles worked out by hand for the
// desktops the renderer meets: side-by-side monitors, the windowed fallback
// on a larger screen, a window across two small monitors, mirrored outputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "monitor_cover.h"

namespace oruna {
namespace {

using Rects = std::vector<ScreenRect>;

long long Area(const Rects& rects) {
  long long sum = 0;
  for (const ScreenRect& r : rects) sum += static_cast<long long>(r.width) * r.height;
  return sum;
}

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

Rects Sorted(Rects rects) {
  std::sort(rects.begin(), rects.end(),
            [](const ScreenRect& a, const ScreenRect& b) { return std::tie(a.x, a.y) < std::tie(b.x, b.y); });
  return rects;
}

TEST(CoverRects, FullScreenCoversEveryOtherMonitorWhole) {
  const Rects monitors = {{0, 0, 1024, 768}, {1024, 0, 1280, 1024}, {-800, 100, 800, 600}};
  EXPECT_EQ(Sorted(CoverRects(monitors, {0, 0, 1024, 768})),
            Sorted({{1024, 0, 1280, 1024}, {-800, 100, 800, 600}}));
  EXPECT_TRUE(CoverRects({{0, 0, 1024, 768}}, {0, 0, 1024, 768}).empty()) << "one monitor, nothing to cover";
}

TEST(CoverRects, WindowedFallbackLeavesTheWindowAndCoversTheRestOfItsMonitor) {
  // 1024x768 at the corner of a 1280x1024 screen: a band below, one right.
  EXPECT_EQ(Sorted(CoverRects({{0, 0, 1280, 1024}}, {0, 0, 1024, 768})),
            Sorted({{0, 768, 1280, 256}, {1024, 0, 256, 768}}));
  // A hole in the middle: four bands that fill the rest exactly.
  const ScreenRect monitor{100, 50, 1000, 800};
  const ScreenRect hole{300, 200, 400, 300};
  const Rects bands = CoverRects({monitor}, hole);
  ASSERT_EQ(bands.size(), 4u);
  EXPECT_EQ(Area(bands), 1000LL * 800 - 400LL * 300);
  for (size_t i = 0; i < bands.size(); ++i) {
    EXPECT_FALSE(Overlap(bands[i], hole));
    for (size_t j = i + 1; j < bands.size(); ++j) EXPECT_FALSE(Overlap(bands[i], bands[j]));
  }
}

TEST(CoverRects, WindowAcrossTwoSmallMonitorsIsCutPerMonitor) {
  // 800x600 monitors side by side: the 1024x768 window fills the first
  // (nothing to cover there, though it reaches past its edge) and takes
  // 224 columns of the second.
  const Rects monitors = {{0, 0, 800, 600}, {800, 0, 800, 600}};
  EXPECT_EQ(CoverRects(monitors, {0, 0, 1024, 768}), (Rects{{1024, 0, 576, 600}}));
}

TEST(CoverRects, MirroredAndEmptyMonitorsGiveOneCoverOrNone) {
  const Rects monitors = {{1024, 0, 1024, 768}, {1024, 0, 1024, 768}, {0, 0, 0, 0}, {0, 0, 1024, 768}};
  EXPECT_EQ(CoverRects(monitors, {0, 0, 1024, 768}), (Rects{{1024, 0, 1024, 768}}));
  EXPECT_TRUE(CoverRects({}, {0, 0, 1024, 768}).empty());
}

}  // namespace
}  // namespace oruna
