// Pictures built into the program as PNG files (our own art from
// assets/generate_ui_art.cpp), decoded to RGBA pixels.
#pragma once
#include <cstdint>
#include <vector>

#include "button_surface.h"

namespace oruna {

struct UiPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // rows top first, 4 bytes a pixel, not premultiplied
  bool ok() const { return width > 0 && height > 0; }
};

// An empty picture when the data is not a readable picture.
UiPicture DecodeUiPicture(const unsigned char* data, unsigned size);

// The six state pictures of the button, each 64 x 25 pixels.
const UiPicture& ButtonStatePicture(ButtonPicture picture);

}  // namespace oruna
