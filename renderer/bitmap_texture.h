// Bitmap files into mipmapped GL textures.
#pragma once
#include <string>

#include "gl_include.h"

namespace oruna {

// One file into one new texture; false (texture left 0) when it cannot be read.
bool LoadBitmapTexture(const std::string& path, GLuint& texture);

// The four exchange bitmaps into the scene's textures, in order 1 to 4; true
// when at least one loaded.
bool LoadTextureSet();

}  // namespace oruna
