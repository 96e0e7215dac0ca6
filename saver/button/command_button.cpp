// The button's looks and input: the state machine, the paint from the state
// pictures and the gradient, the hover poll and the Click rule.
#include "command_button.h"

#include <algorithm>
#include <cstdlib>

namespace oruna {
namespace {

constexpr int kCorner = 60;  // frame pieces are 4 pixels wide
constexpr int kFrameMargin = 2 * kCorner;

// The width or height of the stretched middle of the frame. A control
// smaller than its two corners has no middle; one too large for 16 bits
// keeps the largest middle that fits.
int MiddleLength(int outer_twips) { return std::clamp(outer_twips - kFrameMargin, 0, 32767); }

uint16_t Channel(const char* pair) {
  const char text[3] = {pair[0], pair[1], '\0'};
  return static_cast<uint16_t>(std::strtoul(text, nullptr, 16) * 256);
}

}  // namespace

GradientVertex GradientColour(const char* literal) {
  const char* hex = literal + 2;  // after "&H"
  GradientVertex vertex;
  vertex.red = Channel(hex);
  vertex.green = Channel(hex + 2);
  vertex.blue = Channel(hex + 4);
  return vertex;
}

Command::Command(ButtonSurface& surface, ButtonContainer& container) : surface_(surface), container_(container) {
  caption_.text = "Command";
  caption_.font = DesignFont();
}

void Command::Initialize() {
  state_ = kStateNormal;
  surface_.StartPollTimer(kHoverPollMs);
}

void Command::PaintState(ButtonPicture picture) {
  // State 4 (and 0) keeps the direction of the paint before it, so that a
  // focused hover looks like the state it came from.
  if (state_ == kStateNormal || state_ == kStateFocused) gradient_reversed_ = false;
  if (state_ == kStateHover) gradient_reversed_ = true;

  int w = 0, h = 0;
  surface_.SizeTwips(w, h);
  const int mw = MiddleLength(w), mh = MiddleLength(h);

  surface_.Clear();
  FillGradient();
  // Corners and edges of the picture; its middle is left to the gradient.
  const struct {
    TwipsRect dest, source;
  } pieces[] = {
      {{1, 1, 60, 60}, {0, 0, 60, 60}},                 // top-left corner
      {{60, 1, mw, 60}, {60, 1, 840, 60}},              // top edge
      {{w - 60, 1, 60, 60}, {900, 1, 60, 60}},          // top-right corner
      {{w - 60, 60, 60, mh}, {900, 60, 60, 255}},       // right edge
      {{w - 60, h - 60, 60, 60}, {900, 315, 60, 60}},   // bottom-right corner
      {{60, h - 60, mw, 60}, {60, 315, 840, 60}},       // bottom edge
      {{1, h - 60, 60, 60}, {0, 315, 60, 60}},          // bottom-left corner
      {{1, 60, 60, mh}, {1, 60, 60, 255}},              // left edge
  };
  for (const auto& piece : pieces) surface_.PaintPicture(picture, piece.dest, piece.source);
  surface_.Present();

  // The caption sits 10 twips above the vertical centre.
  caption_.top = (h - surface_.CaptionHeightTwips(caption_) - 20) / 2;
  caption_.left = 0;
  caption_.width = w;
  surface_.ShowCaption(caption_);
}

void Command::FillGradient() {
  int sw = 0, sh = 0;
  surface_.InnerSizePixels(sw, sh);
  GradientVertex top = GradientColour("&HFFFFFF");
  GradientVertex bottom = GradientColour("&HC6C5D7");
  if (gradient_reversed_) std::swap(top, bottom);
  top.x = 0;
  top.y = 0;
  bottom.x = sw - 1;
  bottom.y = sh - 1;
  surface_.GradientFillV(top, bottom);
  surface_.Present();
}

void Command::PointerLeft() {
  if (!enabled_) return;
  if (state_ == kStateHover) {
    state_ = kStateNormal;
    PaintState(ButtonPicture::Normal);
  } else if (state_ == kStateFocusedHover) {
    state_ = kStateFocused;
    PaintState(ButtonPicture::Selected);
  }
}

void Command::TmrMouse_Timer() {
  const ButtonSurface::WindowId under = surface_.WindowAtPointer();
  const ButtonSurface::WindowId parent = surface_.ParentWindow();
  if (under == parent) {
    PointerLeft();
    return;
  }
  // Over the caption the query finds the control's own window: no leave.
  if (under != surface_.OwnWindow()) PointerLeft();
}

void Command::ClickRule() {
  // A press dragged off turned state 4 into 3: its release clicks nothing.
  if (enabled_ && state_ != kStateFocused) container_.Click();
}

void Command::UserControl_MouseDown(int button, int /*shift*/, double /*x*/, double /*y*/) {
  if (!enabled_ || button != kLeftButton) return;
  PaintState(ButtonPicture::Pressed);
  held_ = true;
}

void Command::UserControl_MouseMove(int /*button*/, int /*shift*/, double /*x*/, double /*y*/) {
  if (!enabled_) return;
  if (state_ == kStateNormal) {
    state_ = kStateHover;
    PaintState(ButtonPicture::HighLight);
  } else if (state_ == kStateFocused && !held_) {
    state_ = kStateFocusedHover;
    PaintState(ButtonPicture::HighLightSelect);
  }
}

void Command::UserControl_MouseUp(int button, int /*shift*/, double /*x*/, double /*y*/) {
  if (!enabled_) return;
  if (button == kLeftButton) {
    if (state_ == kStateHover) PaintState(ButtonPicture::Normal);
    if (state_ == kStateFocusedHover) PaintState(ButtonPicture::HighLightSelect);
    held_ = false;
  }
  ClickRule();
}

void Command::LblMsg_MouseDown(int button, int shift, double x, double y) { UserControl_MouseDown(button, shift, x, y); }
void Command::LblMsg_MouseMove(int button, int shift, double x, double y) { UserControl_MouseMove(button, shift, x, y); }
void Command::LblMsg_MouseUp(int button, int shift, double x, double y) { UserControl_MouseUp(button, shift, x, y); }

// The focus handlers follow the real focus whatever Enabled says: a button
// that lost the focus while disabled must not come back in a focused state,
// where the first press would count as a press dragged off and its release
// would raise no Click. A disabled button keeps its Disable look; only its
// state moves.
void Command::UserControl_GotFocus() {
  if (state_ == kStateHover) {
    state_ = kStateFocusedHover;
    if (enabled_) PaintState(ButtonPicture::Pressed);
  } else {
    state_ = kStateFocused;
    if (enabled_) PaintState(ButtonPicture::Selected);
  }
}

void Command::UserControl_LostFocus() {
  if (state_ == kStateNormal) return;
  state_ = kStateNormal;
  if (enabled_) PaintState(ButtonPicture::Normal);
}

void Command::UserControl_Resize() { ApplyEnabledLook(); }

void Command::SetCaptionEnabled(bool enabled) {
  caption_.enabled = enabled;
  surface_.ShowCaption(caption_);
}

void Command::ApplyEnabledLook() {
  SetCaptionEnabled(enabled_);
  PaintState(enabled_ ? ButtonPicture::Normal : ButtonPicture::Disable);
}

}  // namespace oruna
