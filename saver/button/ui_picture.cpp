#include "ui_picture.h"

#include <utility>

#include "picture_decode.h"

extern const unsigned char oruna_ui_button_normal[];
extern const unsigned int oruna_ui_button_normal_size;
extern const unsigned char oruna_ui_button_highlight[];
extern const unsigned int oruna_ui_button_highlight_size;
extern const unsigned char oruna_ui_button_highlight_select[];
extern const unsigned int oruna_ui_button_highlight_select_size;
extern const unsigned char oruna_ui_button_selected[];
extern const unsigned int oruna_ui_button_selected_size;
extern const unsigned char oruna_ui_button_pressed[];
extern const unsigned int oruna_ui_button_pressed_size;
extern const unsigned char oruna_ui_button_disable[];
extern const unsigned int oruna_ui_button_disable_size;

namespace oruna {

UiPicture DecodeUiPicture(const unsigned char* data, unsigned size) {
  DecodedPixels pixels = DecodePictureFile(data, size, 4);
  return {pixels.width, pixels.height, std::move(pixels.bytes)};
}

const UiPicture& ButtonStatePicture(ButtonPicture which) {
  static const UiPicture pictures[kButtonPictureCount] = {
      DecodeUiPicture(oruna_ui_button_normal, oruna_ui_button_normal_size),
      DecodeUiPicture(oruna_ui_button_highlight, oruna_ui_button_highlight_size),
      DecodeUiPicture(oruna_ui_button_highlight_select, oruna_ui_button_highlight_select_size),
      DecodeUiPicture(oruna_ui_button_selected, oruna_ui_button_selected_size),
      DecodeUiPicture(oruna_ui_button_pressed, oruna_ui_button_pressed_size),
      DecodeUiPicture(oruna_ui_button_disable, oruna_ui_button_disable_size),
  };
  return pictures[static_cast<int>(which)];
}

}  // namespace oruna
