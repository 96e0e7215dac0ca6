// Which exchange directory is used: the same choice in both programs, over
// each platform's candidates and trust rule (texture_files_<platform>.cpp).
#include "texture_files.h"

namespace oruna {

std::string TextureExchangeDir() {
  for (const std::string& dir : TextureExchangeCandidates())
    if (IsTrustedTextureDir(dir)) return dir;
  return "";
}

bool CreateTextureExchangeDir() {
  // A candidate someone else made first (or that cannot be made) is passed
  // over; the renderer passes it over the same way.
  for (const std::string& dir : TextureExchangeCandidates()) {
    MakePrivateTextureDir(dir);
    if (IsTrustedTextureDir(dir)) return true;
  }
  return false;
}

std::string TextureFilePath(int index) {
  const std::string dir = TextureExchangeDir();
  if (dir.empty()) return "";
  return dir + kTextureDirSeparator + "Oruna" + std::to_string(index) + ".bmp";
}

}  // namespace oruna
