// A ButtonSurface and ButtonContainer that record what the button does: one
// entry per paint (the picture and whether the shade was at the top), the
// last frame pieces, the caption, the poll timer and the clicks.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "button_surface.h"
#include "command_button.h"

namespace oruna {

struct Painted {
  ButtonPicture picture;
  bool shade_on_top;
  friend bool operator==(const Painted&, const Painted&) = default;
};

inline void PrintTo(const Painted& p, std::ostream* os) {
  *os << "{picture " << static_cast<int>(p.picture) << (p.shade_on_top ? ", shade}" : ", white}");
}

class RecordingSurface : public ButtonSurface {
 public:
  static constexpr WindowId kOwn = 1, kParent = 2, kOther = 3;

  void SizeTwips(int& width, int& height) override {
    width = width_px * 15;
    height = height_px * 15;
  }
  void InnerSizePixels(int& width, int& height) override {
    width = width_px;
    height = height_px;
  }
  void Clear() override {
    pieces = 0;
    last_dest.clear();
    last_source.clear();
  }
  void GradientFillV(const GradientVertex& top, const GradientVertex& bottom) override {
    shade_on_top = top.red != 0xFF00;
    gradient_bottom = bottom;
  }
  void PaintPicture(ButtonPicture picture, const TwipsRect& dest, const TwipsRect& source) override {
    if (pieces++ == 0) paints.push_back({picture, shade_on_top});
    last_dest.push_back(dest);
    last_source.push_back(source);
  }
  void Present() override { ++presents; }
  void SetOpaque(bool value) override { opaque = value; }
  void ShowCaption(const CaptionLabel& label) override { caption = label; }
  double CaptionHeightTwips(const CaptionLabel&) override { return caption_height; }
  WindowId WindowAtPointer() override { return pointer_window; }
  WindowId OwnWindow() override { return kOwn; }
  WindowId ParentWindow() override { return kParent; }
  void StartPollTimer(int interval_ms) override { timer_interval = interval_ms; }

  int width_px = 77, height_px = 25;
  double caption_height = 195;
  WindowId pointer_window = kOwn;
  std::vector<Painted> paints;
  std::vector<TwipsRect> last_dest, last_source;
  GradientVertex gradient_bottom;
  CaptionLabel caption;
  bool opaque = true;
  bool shade_on_top = false;
  int pieces = 0;
  int presents = 0;
  int timer_interval = 0;
};

class RecordingContainer : public ButtonContainer {
 public:
  void Click() override { ++clicks; }
  void PropertyChanged(const std::string& name) override { changed.push_back(name); }
  FontObject AmbientFont() override { return ambient; }

  int clicks = 0;
  std::vector<std::string> changed;
  FontObject ambient{"VL PGothic", 9, 400, false, false, false, 128};
};

}  // namespace oruna
