// Bitmap files from disk: the existence test, the read-only mapping and the
// open-failure message; the decoding itself is in bitmap_decode.cpp.
#include "bitmap_reader.h"
#include "error_message.h"
#include "mapped_file.h"

namespace oruna {

namespace {

RgbImagePtr DecodeMapped(const MappedFile& file, const std::string& path) {
  if (!file.ok()) {
    ShowErrorMessage("Failed to open DIB file " + path + ".\n");
    return nullptr;
  }
  return DecodeBitmapImage(file.bytes(), path);
}

}  // namespace

RgbImagePtr ReadBitmapImage(const std::string& path) { return DecodeMapped(MappedFile(path), path); }

RgbImagePtr OpenBitmapImage(const std::string& path) {
  if (path.empty()) return nullptr;
  // The existence test is the open itself, made once and without blocking:
  // a file we cannot even open is simply absent, with no message for it.
  const MappedFile file(path);
  if (!file.opened()) return nullptr;
  return DecodeMapped(file, path);
}

}  // namespace oruna
