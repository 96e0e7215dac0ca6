// The button's public face towards its form: the properties Enabled,
// Visible, FontColour, Caption and Font, the caption look, and storing and
// restoring an instance through the form's property bag.
#include <cstdint>

#include "command_button.h"

namespace oruna {

void Command::ApplyCaptionLook() {
  if (!enabled_) return;
  SetCaptionEnabled(true);
  if (first_run_ == 0) caption_.colour = 0;  // a new instance starts black
  PaintState(ButtonPicture::Normal);
}

bool Command::Enabled() {
  // The first read turns a new instance on.
  if (first_run_ == 0) {
    ApplyCaptionLook();
    first_run_ = 1;
    enabled_ = true;
  }
  const bool value = enabled_;
  ApplyEnabledLook();
  return value;
}

void Command::SetEnabled(bool enabled) {
  enabled_ = enabled;
  container_.PropertyChanged("Enabled");
  ApplyEnabledLook();
}

uint8_t Command::Visible() {
  if (background_style_ == 0) return 0;
  ApplyCaptionLook();
  return 255;
}

void Command::SetVisible(uint8_t visible) {
  if (visible != 0) {
    background_style_ = 1;
    surface_.SetOpaque(true);
    ApplyCaptionLook();
  } else {
    background_style_ = 0;
    surface_.SetOpaque(false);
  }
  container_.PropertyChanged("Visible");
}

int32_t Command::FontColour() {
  const int32_t colour = caption_.colour;
  ApplyCaptionLook();
  return colour;
}

void Command::SetFontColour(int32_t colour) {
  caption_.colour = colour;
  surface_.ShowCaption(caption_);
  ApplyCaptionLook();
  container_.PropertyChanged("FontColour");
}

// The caption keeps its place until the next paint recomputes it.
void Command::SetCaption(const std::string& text) {
  caption_.text = text;
  surface_.ShowCaption(caption_);
  container_.PropertyChanged("Caption");
}

void Command::SetFont(const FontObject& font) {
  caption_.font = font;
  surface_.ShowCaption(caption_);
  container_.PropertyChanged("Font");
}

void Command::UserControl_ReadProperties(const PropertyBag& bag) {
  // A value that cannot be converted to its key's type leaves the property
  // as it was.
  if (auto enabled = PropertyAsBool(bag.ReadProperty("Enabled", true))) enabled_ = *enabled;
  if (auto text = PropertyAsText(bag.ReadProperty("Caption", std::string("Command1")))) caption_.text = *text;
  if (auto font = PropertyAsFont(bag.ReadProperty("Font", container_.AmbientFont()))) caption_.font = *font;
  if (auto first_run = PropertyAsInteger(bag.ReadProperty("FirstRun", std::string("1")), 0, UINT8_MAX))
    first_run_ = static_cast<uint8_t>(*first_run);
  if (auto colour = PropertyAsInteger(bag.ReadProperty("FontColour", std::string("0")), INT32_MIN, INT32_MAX))
    caption_.colour = static_cast<int32_t>(*colour);
  // The background style knows only opaque (1) and transparent (0).
  if (auto style = PropertyAsInteger(bag.ReadProperty("Visible", std::string("1")), 0, 1)) {
    background_style_ = static_cast<int16_t>(*style);
    surface_.SetOpaque(background_style_ != 0);
  }
  surface_.ShowCaption(caption_);
  ApplyCaptionLook();
}

void Command::UserControl_WriteProperties(PropertyBag& bag) {
  bag.WriteProperty("Enabled", enabled_, true);
  bag.WriteProperty("Caption", caption_.text, std::string("Command"));
  bag.WriteProperty("FirstRun", int64_t{first_run_}, std::string("1"));
  bag.WriteProperty("Font", caption_.font, container_.AmbientFont());
  bag.WriteProperty("FontColour", int64_t{caption_.colour}, std::string("0"));
  bag.WriteProperty("Visible", int64_t{background_style_}, std::string("1"));
  ApplyCaptionLook();
}

}  // namespace oruna
