// The texture exchange: the saver writes four bitmaps into one directory,
// the renderer reads them. Both programs derive the directory the same way.
#pragma once
#include <string>

namespace oruna {

// Index 1..4: corona, backdrop, sphere, particles.
constexpr int kTextureCount = 4;

// The exchange directory (no trailing separator).
std::string TextureExchangeDir();

// Creates the exchange directory if needed, private to the user. Returns
// false when it is missing afterwards or is not safe to use.
bool CreateTextureExchangeDir();

// Full path of "Oruna<index>.bmp" in the exchange directory.
std::string TextureFilePath(int index);

}  // namespace oruna
