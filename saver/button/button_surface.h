// What the button's logic needs from the platform: a drawing surface with a
// persistent back buffer, the windowless caption label, the pointer-window
// query of the hover poll and a repeating timer. The GTK view implements it;
// the tests record every call.
#pragma once
#include <cstdint>
#include <string>

#include "font_object.h"

namespace oruna {

// The six state pictures, each 64 x 25 pixels (960 x 375 twips).
enum class ButtonPicture { Normal, HighLight, HighLightSelect, Selected, Pressed, Disable };
inline constexpr int kButtonPictureCount = 6;

// A rectangle in twips (15 to the pixel at 96 dots per inch).
struct TwipsRect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

// One corner of a gradient fill: a position in pixels and 16-bit channels.
struct GradientVertex {
  int32_t x = 0, y = 0;
  uint16_t red = 0, green = 0, blue = 0, alpha = 0;
};

// How the caption label looks and where it sits, in twips.
struct CaptionLabel {
  std::string text;
  FontObject font;
  int32_t colour = 0;  // 0x00BBGGRR; 0 is black
  bool enabled = true;  // false: drawn greyed
  double top = 0, left = 0, width = 0;
};

class ButtonSurface {
 public:
  virtual ~ButtonSurface() = default;

  // The control's size in twips and its inner size in pixels.
  virtual void SizeTwips(int& width, int& height) = 0;
  virtual void InnerSizePixels(int& width, int& height) = 0;

  // Drawing into the back buffer, shown on screen by Present.
  virtual void Clear() = 0;
  // Fills the rectangle between the two vertices, colours running linearly
  // from the top vertex's row to the bottom vertex's row.
  virtual void GradientFillV(const GradientVertex& top_left, const GradientVertex& bottom_right) = 0;
  // Copies `source` of the picture to `dest` of the surface, stretching.
  virtual void PaintPicture(ButtonPicture picture, const TwipsRect& dest, const TwipsRect& source) = 0;
  virtual void Present() = 0;
  // Background style: opaque shows the painted surface; transparent shows
  // only the caption over whatever lies behind the control.
  virtual void SetOpaque(bool opaque) = 0;

  // The caption label: shown as given; its height for the given font.
  virtual void ShowCaption(const CaptionLabel& caption) = 0;
  virtual double CaptionHeightTwips(const CaptionLabel& caption) = 0;

  // Hover poll: the innermost window under the pointer, compared with the
  // control's own window and its parent's. 0 stands for no window of ours.
  using WindowId = uintptr_t;
  virtual WindowId WindowAtPointer() = 0;
  virtual WindowId OwnWindow() = 0;
  virtual WindowId ParentWindow() = 0;
  // Calls Command::TmrMouse_Timer every `interval_ms` from now on.
  virtual void StartPollTimer(int interval_ms) = 0;
};

// The form that holds a button: its Click event, the change notification
// that has it store the instance again, and its ambient font.
class ButtonContainer {
 public:
  virtual ~ButtonContainer() = default;
  virtual void Click() {}
  virtual void PropertyChanged(const std::string& /*name*/) {}
  virtual FontObject AmbientFont() { return DesignFont(); }
};

}  // namespace oruna
