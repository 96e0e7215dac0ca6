// renderer/textures: the four exchange bitmaps into mipmapped GL textures.
//
// Covers: reading a bitmap file (bitmap_reader: every header form and pixel
// layout it accepts, and the "Error" boxes for a bad file, error_message),
// the mipmap chain computed on the CPU (mipmap_chain), and the upload of the
// four files as the scene's textures (this file).
// Limits: a file that cannot be read leaves its texture 0; the boxes are the
// renderer's only messages. Nothing here draws or owns a window or context:
// the caller makes its GL context current first.
// Depends on: GL/GLU, the exchange folder (../texture_files.h), and per
// platform a mapped file and a message box (*_posix/_win32, *_sdl/_win32).
#pragma once
#include <string>

#include "gl_include.h"

namespace oruna {

struct RgbImage;

// The four texture names by role (0 while not loaded).
struct SceneTextures {
  GLuint corona = 0, backdrop = 0, sphere = 0, particles = 0;
};

// The image as the bound GL_TEXTURE_2D's full mipmap chain: rescaled to
// power-of-two sides (at most the GL's largest texture size), then halved
// down to 1 x 1, each level uploaded on its own.
void UploadMipmapChain(const RgbImage& image);

// One file into one new texture; false (texture left 0) when it cannot be read.
bool LoadBitmapTexture(const std::string& path, GLuint& texture);

// The four exchange bitmaps into `textures`, in order 1 to 4; true when at
// least one loaded.
bool LoadTextureSet(SceneTextures& textures);

}  // namespace oruna
