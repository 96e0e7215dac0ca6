// Texture exchange directory on Windows: "C:\p_orvi", the same on every
// system; file names there match without regard to case.
#include <windows.h>

#include "texture_files.h"

namespace oruna {

std::string TextureExchangeDir() { return "C:\\p_orvi"; }

bool CreateTextureExchangeDir() {
  CreateDirectoryA("C:\\p_orvi", nullptr);  // fails harmlessly when it exists
  const DWORD attributes = GetFileAttributesA("C:\\p_orvi");
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string TextureFilePath(int index) {
  return TextureExchangeDir() + "\\Oruna" + std::to_string(index) + ".bmp";
}

}  // namespace oruna
