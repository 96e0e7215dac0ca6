// Picture files held in memory (the JPEG and PNG files built into the
// program) decoded to pixels. The only place stb_image is compiled into the
// saver, so that one decoder serves the scene pictures and the dialog's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace oruna {

struct DecodedPixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;  // rows top first, `channels` bytes a pixel
};

// Decodes a JPEG or PNG file to `channels` bytes a pixel (3: RGB, 4: RGBA,
// not premultiplied); empty when the data is not a readable picture.
DecodedPixels DecodePictureFile(const uint8_t* data, size_t size, int channels);

}  // namespace oruna
