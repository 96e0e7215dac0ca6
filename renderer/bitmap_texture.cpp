#include "bitmap_texture.h"

#include "bitmap_reader.h"
#include "scene.h"
#include "texture_files.h"

namespace oruna {

bool LoadBitmapTexture(const std::string& path, GLuint& texture) {
  RgbImagePtr image = OpenBitmapImage(path);
  if (!image) return false;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
  // The reader packs rows to 3 * width bytes; with GL's default alignment of
  // 4 an image whose width is not a multiple of 4 would upload skewed.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                    image->data);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return true;
}

bool LoadTextureSet() {
  SceneTextures& t = Textures();
  GLuint* targets[kTextureCount] = {&t.corona, &t.backdrop, &t.sphere, &t.particles};
  bool any = false;
  for (int i = 0; i < kTextureCount; ++i) any |= LoadBitmapTexture(TextureFilePath(i + 1), *targets[i]);
  return any;
}

}  // namespace oruna
