// Expectations for a picture of the settings dialog's client area (496 x 246
// pixels), worked out from its layout numbers and our own art rather than
// from the dialog's code: the sine-shaded background row by row, the panel
// covered with copies of the metal strip from its top-left corner, the blue
// frame around the heading, the selection boxes, the three buttons' frame
// pieces and gradients, and the typed track text.
// Shared by the Linux end-to-end test and its Windows twin under Wine.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "button_surface.h"
#include "dialog_pictures.h"
#include "ui_picture.h"

namespace oruna::test {

// One pixel of the client area as 0xRRGGBB.
using ClientPixel = std::function<uint32_t(int x, int y)>;

struct Rgb {
  int r, g, b;
};

inline Rgb RgbOf(uint32_t pixel) {
  return {static_cast<int>(pixel >> 16 & 0xFF), static_cast<int>(pixel >> 8 & 0xFF), static_cast<int>(pixel & 0xFF)};
}

inline const uint8_t* PicturePixel(const UiPicture& picture, int x, int y) {
  return &picture.rgba[(static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)) * 4];
}

// Counts the pixels that differ from what is expected by more than the
// tolerance in any channel, and describes the first of them.
class PixelTally {
 public:
  PixelTally(const ClientPixel& at, int tolerance) : at_(at), tolerance_(tolerance) {}
  void Expect(int x, int y, Rgb want) {
    ++checked_;
    const Rgb got = RgbOf(at_(x, y));
    if (std::abs(got.r - want.r) <= tolerance_ && std::abs(got.g - want.g) <= tolerance_ &&
        std::abs(got.b - want.b) <= tolerance_)
      return;
    if (wrong_++ == 0) {
      std::ostringstream text;
      text << "at " << x << "," << y << " got " << got.r << "," << got.g << "," << got.b << " want " << want.r
           << "," << want.g << "," << want.b;
      first_ = text.str();
    }
  }
  int wrong() const { return wrong_; }
  int checked() const { return checked_; }
  const std::string& first() const { return first_; }

 private:
  const ClientPixel& at_;
  int tolerance_;
  int wrong_ = 0, checked_ = 0;
  std::string first_;
};

#define ORUNA_EXPECT_TALLY(tally, what)                                   \
  do {                                                                    \
    EXPECT_GT((tally).checked(), 0) << (what);                            \
    EXPECT_EQ((tally).wrong(), 0) << (what) << ": " << (tally).first();   \
  } while (0)

constexpr int kClientWidth = 496, kClientHeight = 246;
constexpr int kPanelX = 12, kPanelY = 16;

// Row y of the background: v = |sin(y / (H / 3.142))| x 220, rounded, in
// red v, green v, blue v + 30. Checked where no control lies: the margins
// left of and above the panel, right of it, and the gap between the bottom
// lines and the buttons.
inline void ExpectBackground(const ClientPixel& at) {
  const double d = kClientHeight / 3.142;
  auto shade = [&](int y) {
    const int v = static_cast<int>(std::lround(std::fabs(std::sin(y / d)) * 220));
    return Rgb{v, v, v + 30};
  };
  PixelTally tally(at, 1);
  for (int y = 0; y < kClientHeight; ++y)
    for (int x : {1, 6, 486, 494}) tally.Expect(x, y, shade(y));
  for (int x = 0; x < kClientWidth; x += 5)
    for (int y : {0, 7, 14}) tally.Expect(x, y, shade(y));
  for (int x = 245; x < 320; x += 4)
    for (int y = 184; y < kClientHeight; y += 2) tally.Expect(x, y, shade(y));
  ORUNA_EXPECT_TALLY(tally, "background");
}

// Panel pixel (x, y) is strip pixel (x mod 556, y mod 20): copies stacked
// from the panel's top-left corner. Checked right of the controls, above
// the file name and below it.
inline void ExpectPanelStrip(const ClientPixel& at) {
  const UiPicture& strip = DialogPictureOf(DialogPicture::MetalStrip);
  ASSERT_EQ(strip.width, 556);
  ASSERT_EQ(strip.height, 20);
  PixelTally tally(at, 1);
  auto expect = [&](int x, int y) {
    const uint8_t* p = PicturePixel(strip, x % strip.width, y % strip.height);
    tally.Expect(kPanelX + x, kPanelY + y, {p[0], p[1], p[2]});
  };
  for (int y = 2; y < 49; ++y)
    for (int x = 250; x < 466; x += 3) expect(x, y);
  for (int y = 155; y < 163; ++y)
    for (int x = 250; x < 466; x += 3) expect(x, y);
  ORUNA_EXPECT_TALLY(tally, "panel strip");
}

// Shape3 (20, 20, 113 x 21 on the panel): a one-pixel frame in RGB 0, 60, 116.
inline void ExpectHeadingFrame(const ClientPixel& at) {
  PixelTally tally(at, 1);
  const Rgb blue{0, 60, 116};
  for (int x = 20; x <= 132; ++x) {
    tally.Expect(kPanelX + x, kPanelY + 20, blue);
    tally.Expect(kPanelX + x, kPanelY + 40, blue);
  }
  for (int y = 20; y <= 40; ++y) {
    tally.Expect(kPanelX + 20, kPanelY + y, blue);
    tally.Expect(kPanelX + 132, kPanelY + y, blue);
  }
  ORUNA_EXPECT_TALLY(tally, "heading frame");
}

// The selection box of a kind at (28, y) on the panel shows the filled or
// the empty box picture from its top-left corner (its opaque pixels).
inline void ExpectSelectionBox(const ClientPixel& at, int panel_y, bool filled) {
  const UiPicture& box = DialogPictureOf(filled ? DialogPicture::BoxFilled : DialogPicture::BoxEmpty);
  PixelTally tally(at, 2);
  for (int y = 0; y < box.height; ++y)
    for (int x = 0; x < box.width; ++x) {
      const uint8_t* p = PicturePixel(box, x, y);
      if (p[3] == 255) tally.Expect(kPanelX + 28 + x, kPanelY + panel_y + y, {p[0], p[1], p[2]});
    }
  ORUNA_EXPECT_TALLY(tally, filled ? "filled box" : "empty box");
}

// A button of width x height pixels at (left, top) of the client area: the
// state picture's 4 x 4 corners copied one to one (the right ones from the
// picture's columns 60 to 63, the bottom ones from its rows 21 to 24), for
// the 25-pixel height of the picture also its 4-pixel side edges, and
// between them the vertical gradient from white in the top row to RGB 198,
// 197, 215 in the bottom row (the other way round when the shade is on top).
inline void ExpectButton(const ClientPixel& at, int left, int top, int width, int height, ButtonPicture picture,
                         bool shade_on_top, const char* what) {
  const UiPicture& art = ButtonStatePicture(picture);
  ASSERT_EQ(art.width, 64);
  ASSERT_EQ(art.height, 25);
  PixelTally frame(at, 2);
  auto copied = [&](int x, int y, int source_x, int source_y) {
    const uint8_t* p = PicturePixel(art, source_x, source_y);
    if (p[3] == 255) frame.Expect(left + x, top + y, {p[0], p[1], p[2]});
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      copied(x, y, x, y);
      copied(width - 4 + x, y, 60 + x, y);
      copied(x, height - 4 + y, x, 21 + y);
      copied(width - 4 + x, height - 4 + y, 60 + x, 21 + y);
    }
  for (int y = 4; height == 25 && y < 21; ++y)
    for (int x = 0; x < 4; ++x) {
      copied(x, y, x, y);
      copied(width - 4 + x, y, 60 + x, y);
    }
  ORUNA_EXPECT_TALLY(frame, what);
  PixelTally gradient(at, 3);
  for (int y = 4; y < height - 4; ++y) {
    const double t = (shade_on_top ? height - 1 - y : y) / static_cast<double>(height - 1);
    const Rgb want{static_cast<int>(std::lround(255 + (198 - 255) * t)),
                   static_cast<int>(std::lround(255 + (197 - 255) * t)),
                   static_cast<int>(std::lround(255 + (215 - 255) * t))};
    for (int x : {5, 6, width - 7, width - 6}) gradient.Expect(left + x, top + y, want);
  }
  ORUNA_EXPECT_TALLY(gradient, what);
}

// Ink runs of a text box on white: the columns between `left` and `right`
// with a pixel darker than about 60 % of white in the rows `top` to
// `bottom`, joined into runs, each with its width and the height of its ink.
struct InkRun {
  int left, width, height;
};

inline std::vector<InkRun> InkRuns(const ClientPixel& at, int left, int right, int top, int bottom) {
  std::vector<InkRun> runs;
  bool in_run = false;
  int low = 0, high = 0;
  for (int x = left; x <= right + 1; ++x) {
    int first = -1, last = -1;
    if (x <= right)
      for (int y = top; y <= bottom; ++y) {
        const Rgb p = RgbOf(at(x, y));
        if (p.r + p.g + p.b < 480) {
          if (first < 0) first = y;
          last = y;
        }
      }
    if (first >= 0) {
      if (!in_run) runs.push_back({x, 0, 0}), low = first, high = last;
      in_run = true;
      low = std::min(low, first);
      high = std::max(high, last);
      runs.back().width = x - runs.back().left + 1;
      runs.back().height = high - low + 1;
    } else {
      in_run = false;
    }
  }
  return runs;
}

// "7.6" typed into the track box shows whole: a dot (a short run) with a
// glyph (a run at least 3 wide and 6 high) on either side of it. A text
// scrolled out of view leaves ".6", and the box's edges and the caret are
// single lines, not glyphs.
inline void ExpectTrackTextShown(const ClientPixel& at, int left, int right, int top, int bottom) {
  const std::vector<InkRun> runs = InkRuns(at, left, right, top, bottom);
  std::ostringstream seen;
  for (const InkRun& run : runs) seen << " [x " << run.left << " w " << run.width << " h " << run.height << "]";
  auto glyph = [](const InkRun& run) { return run.width >= 3 && run.height >= 6; };
  bool whole = false;
  for (size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].height > 3 || runs[i].width > 3) continue;  // not a dot
    const bool before = std::any_of(runs.begin(), runs.begin() + static_cast<std::ptrdiff_t>(i), glyph);
    const bool after = std::any_of(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, runs.end(), glyph);
    whole = whole || (before && after);
  }
  EXPECT_TRUE(whole) << "ink runs of the track box:" << seen.str();
}

// The whole dialog as both platforms' tests picture it: audio CD chosen (so
// "..." is disabled) and the pointer over 設定.
inline void ExpectDialogWithCdChosenAndSetHovered(const ClientPixel& at) {
  ExpectBackground(at);
  ExpectPanelStrip(at);
  ExpectHeadingFrame(at);
  ExpectSelectionBox(at, 56, true);  // audio CD
  ExpectSelectionBox(at, 76, false);
  ExpectSelectionBox(at, 96, false);
  ExpectButton(at, 12 + 28, 16 + 116, 41, 21, ButtonPicture::Disable, false, "file button, disabled");
  ExpectButton(at, 324, 200, 77, 25, ButtonPicture::HighLight, true, "set button, hovered");
  ExpectButton(at, 404, 200, 77, 25, ButtonPicture::Normal, false, "cancel button");
}

}  // namespace oruna::test
