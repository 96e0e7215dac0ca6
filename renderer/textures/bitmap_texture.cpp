#include "bitmap_texture.h"

#include <utility>

#include "bitmap_reader.h"
#include "mipmap_chain.h"
#include "texture_files.h"

namespace oruna {

namespace {

GLint LargestTextureSide() {
  GLint max_side = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_side);
  return max_side;
}

void UploadLevels(RgbPixels level0) {
  // The levels are packed to 3 * width bytes a row; GL's default unpack
  // alignment of 4 would skew every level whose width is not a multiple of 4.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  ForEachMipmapLevel(std::move(level0), [](int level, const RgbPixels& l) {
    glTexImage2D(GL_TEXTURE_2D, level, 3, l.width, l.height, 0, GL_RGB, GL_UNSIGNED_BYTE, l.data.data());
  });
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

}  // namespace

void UploadMipmapChain(const RgbImage& image) {
  UploadLevels(MipmapLevelZero(image.data, image.width, image.height, LargestTextureSide()));
}

bool LoadBitmapTexture(const std::string& path, GLuint& texture) {
  RgbImagePtr image = OpenBitmapImage(path);
  if (!image) return false;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  if (image->width <= 0 || image->height <= 0) return true;
  // The decoded image is released once level 0 is made from it, before the
  // GL takes its own copies of the levels: the three are never held at once.
  RgbPixels level0 = MipmapLevelZero(image->data, image->width, image->height, LargestTextureSide());
  image.reset();
  UploadLevels(std::move(level0));
  return true;
}

bool LoadTextureSet(SceneTextures& t) {
  GLuint* targets[kTextureCount] = {&t.corona, &t.backdrop, &t.sphere, &t.particles};
  bool any = false;
  for (int i = 0; i < kTextureCount; ++i) any |= LoadBitmapTexture(TextureFilePath(i + 1), *targets[i]);
  return any;
}

}  // namespace oruna
