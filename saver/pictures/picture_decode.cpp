#include "picture_decode.h"

#include <climits>

// Only the two decoders the built-in files need, with internal linkage, so
// that a test or tool may compile stb_image as well without clashing symbols.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace oruna {

DecodedPixels DecodePictureFile(const uint8_t* data, size_t size, int channels) {
  DecodedPixels decoded;
  if (data == nullptr || size == 0 || size > INT_MAX) return decoded;
  int width = 0, height = 0, components = 0;
  stbi_uc* pixels = stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &components, channels);
  if (pixels == nullptr) return decoded;
  decoded.width = width;
  decoded.height = height;
  decoded.bytes.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height) * channels);
  stbi_image_free(pixels);
  return decoded;
}

}  // namespace oruna
