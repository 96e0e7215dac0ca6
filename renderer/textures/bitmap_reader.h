// Windows bitmap (BMP / packed DIB) reader: any uncompressed or RLE/bit-field
// DIB with a 12- or 40-byte header becomes a plain 24-bit RGB image.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace oruna {

// The decoded image. Rows are packed (3 * width bytes, red first) and run
// bottom-up, as in the usual bitmap file. Record and pixels come from malloc
// and go back with FreeRgbImage (pixels first, then the record).
struct RgbImage {
  int32_t width = 0;
  int32_t height = 0;
  uint8_t* data = nullptr;
};

void FreeRgbImage(RgbImage* image);
struct RgbImageDeleter {
  void operator()(RgbImage* image) const { FreeRgbImage(image); }
};
using RgbImagePtr = std::unique_ptr<RgbImage, RgbImageDeleter>;

// Colour-table entry count of the DIB header at `header` (12- or 40-byte
// form): colours-used when set (40-byte form), else 2/16/256 for 1/4/8 bits,
// else 0. `available` is how many header bytes may be read.
uint16_t CountPaletteEntries(const uint8_t* header, size_t available);

// Decodes a whole bitmap file held in memory. `path` is only used in messages.
// Failures show one of the reader's "Error" messages and return null.
RgbImagePtr DecodeBitmapImage(std::span<const uint8_t> file, const std::string& path);

// Maps the file and decodes it; an unopenable or empty file shows
// "Failed to open DIB file <path>.\n".
RgbImagePtr ReadBitmapImage(const std::string& path);

// Existence test first: a file that cannot be opened gives null silently.
RgbImagePtr OpenBitmapImage(const std::string& path);

}  // namespace oruna
