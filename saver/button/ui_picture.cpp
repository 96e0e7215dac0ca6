#include "ui_picture.h"

#include <climits>
#include <cstring>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

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
  UiPicture picture;
  if (data == nullptr || size == 0 || size > INT_MAX) return picture;
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &channels, 4);
  if (pixels == nullptr) return picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  stbi_image_free(pixels);
  return picture;
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
