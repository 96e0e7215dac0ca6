// The pictures built into the screen saver: the four scene textures and the
// preview picture, embedded as baseline JPEG files made by our generator.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace oruna {

enum class Picture { Corona = 1, Backdrop = 2, Sphere = 3, Particles = 4, Preview = 5 };

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first, 3 bytes per pixel
};

// The embedded JPEG file of one picture (empty for an unknown value).
std::span<const uint8_t> PictureFile(Picture picture);

// Decodes one built-in picture; empty on failure.
DecodedPicture DecodePicture(Picture picture);

// A 24-bit bitmap file (14-byte file header, 40-byte info header, bottom-up
// rows padded to 4 bytes) of the picture; empty for an empty picture.
std::vector<uint8_t> EncodeBitmapFile(const DecodedPicture& picture);

}  // namespace oruna
