// Bitmap files from disk: the existence test, the read-only mapping and the
// open-failure message; the decoding itself is in bitmap_decode.cpp.
#include <cstdio>

#include "bitmap_reader.h"
#include "error_message.h"
#include "mapped_file.h"

namespace oruna {

RgbImagePtr ReadBitmapImage(const std::string& path) {
  MappedFile file(path);
  if (!file.ok()) {
    ShowErrorMessage("Failed to open DIB file " + path + ".\n");
    return nullptr;
  }
  return DecodeBitmapImage(file.bytes(), path);
}

RgbImagePtr OpenBitmapImage(const std::string& path) {
  if (path.empty()) return nullptr;
  // A file we cannot even open is simply absent: no message for it.
  std::FILE* probe = std::fopen(path.c_str(), "r");
  if (!probe) return nullptr;
  std::fclose(probe);
  return ReadBitmapImage(path);
}

}  // namespace oruna
