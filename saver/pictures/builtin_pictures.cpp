#include "builtin_pictures.h"

#include <cstring>
#include <utility>

#include "picture_decode.h"

extern const unsigned char oruna_picture_corona[];
extern const unsigned int oruna_picture_corona_size;
extern const unsigned char oruna_picture_backdrop[];
extern const unsigned int oruna_picture_backdrop_size;
extern const unsigned char oruna_picture_sphere[];
extern const unsigned int oruna_picture_sphere_size;
extern const unsigned char oruna_picture_particles[];
extern const unsigned int oruna_picture_particles_size;
extern const unsigned char oruna_picture_preview[];
extern const unsigned int oruna_picture_preview_size;

namespace oruna {
namespace {

void PutU16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  PutU16(out, at, v & 0xFFFF);
  PutU16(out, at + 2, v >> 16);
}

}  // namespace

std::span<const uint8_t> PictureFile(Picture picture) {
  switch (picture) {
    case Picture::Corona: return {oruna_picture_corona, oruna_picture_corona_size};
    case Picture::Backdrop: return {oruna_picture_backdrop, oruna_picture_backdrop_size};
    case Picture::Sphere: return {oruna_picture_sphere, oruna_picture_sphere_size};
    case Picture::Particles: return {oruna_picture_particles, oruna_picture_particles_size};
    case Picture::Preview: return {oruna_picture_preview, oruna_picture_preview_size};
  }
  return {};
}

DecodedPicture DecodePicture(Picture picture) {
  const std::span<const uint8_t> file = PictureFile(picture);
  DecodedPixels pixels = DecodePictureFile(file.data(), file.size(), 3);
  return {pixels.width, pixels.height, std::move(pixels.bytes)};
}

std::vector<uint8_t> EncodeBitmapFile(const DecodedPicture& picture) {
  constexpr size_t kFileHeader = 14, kInfoHeader = 40;
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() != static_cast<size_t>(picture.width) * picture.height * 3) {
    return {};
  }
  const size_t width = static_cast<size_t>(picture.width);
  const size_t height = static_cast<size_t>(picture.height);
  const size_t stride = (width * 3 + 3) & ~size_t{3};
  const size_t offset = kFileHeader + kInfoHeader;
  std::vector<uint8_t> out(offset + stride * height, 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<uint32_t>(out.size()));
  PutU32(out, 10, static_cast<uint32_t>(offset));
  PutU32(out, 14, kInfoHeader);
  PutU32(out, 18, static_cast<uint32_t>(width));
  PutU32(out, 22, static_cast<uint32_t>(height));  // positive: rows run bottom-up
  PutU16(out, 26, 1);                               // planes
  PutU16(out, 28, 24);                              // bits per pixel
  PutU32(out, 30, 0);                               // uncompressed
  PutU32(out, 34, static_cast<uint32_t>(stride * height));
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* src = picture.rgb.data() + (height - 1 - y) * width * 3;
    uint8_t* dst = out.data() + offset + y * stride;
    for (size_t x = 0; x < width; ++x) {
      dst[x * 3] = src[x * 3 + 2];  // blue, green, red
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3];
    }
  }
  return out;
}

}  // namespace oruna
