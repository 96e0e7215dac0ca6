// `Command`, the screen saver's own push button: four visual states driven by
// the pointer (a hover poll every 100 ms), keyboard focus and the left mouse
// button, painted from six state pictures over a two-colour vertical
// gradient, with one event, Click. It handles no keys. Its five properties
// and their storage in the form's property bag live in command_properties.cpp.
#pragma once
#include <cstdint>
#include <string>

#include "button_surface.h"
#include "font_object.h"
#include "property_bag.h"

namespace oruna {

// Mouse buttons as the pointer handlers receive them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// ButtonState values; 0 until Initialize.
enum : uint8_t { kStateNone = 0, kStateNormal = 1, kStateHover = 2, kStateFocused = 3, kStateFocusedHover = 4 };

inline constexpr int kHoverPollMs = 100;

// "&HRRGGBB" written out as text: the pairs are red, green and blue, each
// becoming a 16-bit channel of pair x 256.
GradientVertex GradientColour(const char* literal);

class Command {
 public:
  Command(ButtonSurface& surface, ButtonContainer& container);
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // State 1 and the hover poll on. Until then the button has no hover look.
  void Initialize();

  // Pointer events on the surface; button is a MouseButton, the rest unused.
  void UserControl_MouseDown(int button, int shift, double x, double y);
  void UserControl_MouseMove(int button, int shift, double x, double y);
  void UserControl_MouseUp(int button, int shift, double x, double y);
  // Pointer events on the caption act exactly like those on the surface.
  void LblMsg_MouseDown(int button, int shift, double x, double y);
  void LblMsg_MouseMove(int button, int shift, double x, double y);
  void LblMsg_MouseUp(int button, int shift, double x, double y);
  void UserControl_GotFocus();
  void UserControl_LostFocus();
  void TmrMouse_Timer();
  void UserControl_Resize();

  // Properties. The reads of Enabled, Visible and FontColour repaint, as the
  // control has always done; the first read of Enabled turns a new
  // instance on.
  bool Enabled();
  void SetEnabled(bool enabled);
  uint8_t Visible();
  void SetVisible(uint8_t visible);
  int32_t FontColour();
  void SetFontColour(int32_t colour);
  const std::string& Caption() const { return caption_.text; }
  void SetCaption(const std::string& text);
  const FontObject& Font() const { return caption_.font; }
  void SetFont(const FontObject& font);

  // The form's property bag: restore and store this instance.
  void UserControl_ReadProperties(const PropertyBag& bag);
  void UserControl_WriteProperties(PropertyBag& bag);

  // Inspection, for the view and the tests.
  uint8_t ButtonState() const { return state_; }
  bool ButtonHeld() const { return held_; }
  bool GradientReversed() const { return gradient_reversed_; }
  uint8_t FirstRun() const { return first_run_; }
  bool EnabledValue() const { return enabled_; }  // without the side effects of Enabled()
  const CaptionLabel& LblMsg() const { return caption_; }

 private:
  void PaintState(ButtonPicture picture);
  void FillGradient();
  void PointerLeft();
  void ApplyEnabledLook();
  void ApplyCaptionLook();
  void ClickRule();
  void SetCaptionEnabled(bool enabled);

  ButtonSurface& surface_;
  ButtonContainer& container_;
  uint8_t state_ = kStateNone;
  bool held_ = false;
  bool gradient_reversed_ = false;
  bool enabled_ = false;
  uint8_t first_run_ = 0;
  int16_t background_style_ = 1;  // 1 opaque, 0 transparent
  CaptionLabel caption_;
};

}  // namespace oruna
