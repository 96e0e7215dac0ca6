// Portable bitmap decoder: turns a Windows bitmap file (or packed DIB) held in
// memory into packed 24-bit RGB rows, bottom-up. It yields the rows the
// platform's own DIB conversion into a fresh 24-bit DIB section would give,
// and it checks every length against the file first, so a short or hostile
// file is refused instead of read beyond its end.
#include <cstdlib>
#include <cstring>
#include <new>

#include "bitmap_reader.h"
#include "error_message.h"

namespace oruna {
namespace {

// What a header may declare. A texture is at most GL_MAX_TEXTURE_SIZE on a
// side, 32768 on the largest GPUs and 16384 or less on most; the upload
// scales a longer side down. A side beyond twice that largest texture side
// would throw away three source pixels of every four, so no texture file
// means it, and a header declaring one is corrupt or hostile.
constexpr int64_t kMaxSide = 65536;
// The decoded image, 3 bytes a pixel: 256 MiB holds any picture such a side
// allows in practice (9,000 x 9,000, or a 65,536 x 1,365 strip).
constexpr uint64_t kMaxPixelBytes = uint64_t{256} << 20;
// A run-length stream is tiny beside the image it declares, so the file's
// length alone does not bound its cost. Its best case paints 255 pixels per
// two bytes; a larger declared image would be mostly the black of skipped
// pixels. Run-length bitmaps are 4- and 8-bit palette pictures of a few
// thousand pixels a side at most: 4096 x 4096 pixels leave every such file
// readable while a one-megabyte file cannot make the renderer hold more than
// 48 MiB of pixels and its mipmaps.
constexpr uint64_t kRunLengthPixelsPerTwoBytes = 255;
constexpr uint64_t kMaxRunLengthPixels = uint64_t{4096} * 4096;

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kMaskBytes = 12;  // three 4-byte bit-field masks

enum Compression : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

enum class Failure { kNone, kUnknownFormat, kOutOfMemory, kConversion };

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};

// One colour channel of a bit-field pixel: its mask's position and width.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

Channel MakeChannel(uint32_t mask) {
  Channel c{mask, 0, 0};
  if (mask == 0) return c;
  while (!((mask >> c.shift) & 1)) ++c.shift;
  for (uint32_t rest = mask >> c.shift; rest; rest >>= 1) ++c.bits;
  return c;
}

// Widens a channel value to 8 bits by repeating its bits (5 bits v become
// v << 3 | v >> 2), so full intensity stays 255; wider channels keep their
// top 8 bits.
uint8_t ExpandChannel(uint32_t pixel, const Channel& c) {
  if (c.bits == 0) return 0;
  const uint32_t v = (pixel & c.mask) >> c.shift;
  if (c.bits >= 8) return static_cast<uint8_t>(v >> (c.bits - 8));
  uint32_t wide = 0;
  int filled = 0;
  while (filled < 8) {
    wide = wide << c.bits | v;
    filled += c.bits;
  }
  return static_cast<uint8_t>(wide >> (filled - 8));
}

// Everything the headers say about where the pixels are and how to read them.
struct Layout {
  int32_t width = 0;
  int64_t height = 0;       // signed, as stored
  uint16_t bits = 0;
  uint32_t compression = kRgb;
  Rgb palette[256];
  uint32_t palette_size = 0;  // entries usable for lookup (excess ones read black)
  Channel channels[3];        // red, green, blue for 16 and 32 bits
  uint64_t pixel_offset = 0;  // from the start of the file
};

// Reads the file header (if any), the DIB header, the masks and the colour
// table. Every read is checked against the file's length.
Failure ParseHeaders(std::span<const uint8_t> file, Layout& out) {
  const uint8_t* base = file.data();
  const uint64_t size = file.size();
  const bool has_file_header = size >= 2 && Le16(base) == 0x4D42;  // "BM"
  const uint64_t at = has_file_header ? kFileHeaderSize : 0;
  if (size < at + 4) return Failure::kConversion;
  const uint8_t* header = base + at;
  const uint32_t header_size = Le32(header);
  if (header_size != kCoreHeaderSize && header_size != kInfoHeaderSize)
    return Failure::kUnknownFormat;
  if (size < at + header_size) return Failure::kConversion;

  const uint16_t count = CountPaletteEntries(header, header_size);
  const bool core = header_size == kCoreHeaderSize;
  uint32_t entry_size = 4;
  uint64_t table_at = at + header_size;
  if (core) {
    out.width = Le16(header + 4);
    out.height = Le16(header + 6);
    out.bits = Le16(header + 10);
    entry_size = 3;
  } else {
    out.width = static_cast<int32_t>(Le32(header + 4));
    out.height = static_cast<int32_t>(Le32(header + 8));
    out.bits = Le16(header + 14);
    out.compression = Le32(header + 16);
  }

  // Default masks give the usual 5-5-5 and 8-8-8 pixels.
  uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (out.bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  if (out.compression == kBitFields) {
    if (size < table_at + kMaskBytes) return Failure::kConversion;
    for (int i = 0; i < 3; ++i) masks[i] = Le32(base + table_at + 4 * i);
    table_at += kMaskBytes;
  }
  for (int i = 0; i < 3; ++i) out.channels[i] = MakeChannel(masks[i]);

  const uint64_t table_end = table_at + uint64_t{entry_size} * count;
  if (size < table_end) return Failure::kConversion;
  out.palette_size = count < 256 ? count : 256;
  for (uint32_t i = 0; i < out.palette_size; ++i) {
    const uint8_t* e = base + table_at + uint64_t{entry_size} * i;
    out.palette[i] = Rgb{e[2], e[1], e[0]};
  }
  out.pixel_offset = has_file_header ? Le32(base + 10) : table_end;
  return Failure::kNone;
}

// Depth, compression and dimensions the conversion can handle.
Failure CheckFormat(const Layout& l) {
  switch (l.compression) {
    case kRgb:
      if (l.bits != 1 && l.bits != 4 && l.bits != 8 && l.bits != 16 && l.bits != 24 &&
          l.bits != 32)
        return Failure::kConversion;
      break;
    case kRle8:
    case kRle4:
      // Run-length bitmaps are always stored bottom-up.
      if (l.bits != (l.compression == kRle8 ? 8 : 4) || l.height < 0) return Failure::kConversion;
      break;
    case kBitFields:
      if (l.bits != 16 && l.bits != 32) return Failure::kConversion;
      break;
    default:  // JPEG, PNG and anything unknown
      return Failure::kConversion;
  }
  if (l.width <= 0 || l.height == 0) return Failure::kConversion;
  return Failure::kNone;
}

uint64_t AbsHeight(const Layout& l) {
  return static_cast<uint64_t>(l.height < 0 ? -l.height : l.height);
}

uint64_t OutputBytes(const Layout& l) {
  return uint64_t{3} * static_cast<uint64_t>(l.width) * AbsHeight(l);
}

Rgb Lookup(const Layout& l, uint32_t index) {
  return index < l.palette_size ? l.palette[index] : Rgb{};
}

void PutPixel(uint8_t* out, Rgb c) {
  out[0] = c.r;
  out[1] = c.g;
  out[2] = c.b;
}

// One stored row into one packed RGB row.
void ConvertRow(const Layout& l, const uint8_t* src, uint8_t* dst) {
  for (int32_t x = 0; x < l.width; ++x, dst += 3) {
    switch (l.bits) {
      case 1: PutPixel(dst, Lookup(l, (src[x >> 3] >> (7 - (x & 7))) & 1)); break;
      case 4: PutPixel(dst, Lookup(l, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF)); break;
      case 8: PutPixel(dst, Lookup(l, src[x])); break;
      case 24: PutPixel(dst, Rgb{src[3 * x + 2], src[3 * x + 1], src[3 * x]}); break;
      default: {  // 16 and 32 bits through the channel masks
        const uint32_t pixel = l.bits == 16 ? Le16(src + 2 * x) : Le32(src + 4 * x);
        PutPixel(dst, Rgb{ExpandChannel(pixel, l.channels[0]), ExpandChannel(pixel, l.channels[1]),
                          ExpandChannel(pixel, l.channels[2])});
      }
    }
  }
}

bool IsRunLength(const Layout& l) { return l.compression == kRle8 || l.compression == kRle4; }

// Bytes of one stored row: whole pixels, padded to 4 bytes.
uint64_t Stride(const Layout& l) {
  return (static_cast<uint64_t>(l.width) * l.bits + 31) / 32 * 4;
}

uint64_t PixelCount(const Layout& l) { return static_cast<uint64_t>(l.width) * AbsHeight(l); }

// Declared sizes no texture file means: refused before anything is allocated.
Failure CheckDeclaredSize(const Layout& l) {
  if (l.width > kMaxSide || static_cast<int64_t>(AbsHeight(l)) > kMaxSide) return Failure::kOutOfMemory;
  if (OutputBytes(l) > kMaxPixelBytes) return Failure::kOutOfMemory;
  if (IsRunLength(l) && PixelCount(l) > kMaxRunLengthPixels) return Failure::kOutOfMemory;
  return Failure::kNone;
}

// The pixel data must lie inside the file: all rows of an uncompressed image;
// for a run-length one, enough of a stream to paint every pixel with the
// longest runs. Checked before the output buffer is allocated, so a short
// file never costs a large allocation.
Failure CheckPixelData(std::span<const uint8_t> file, const Layout& l) {
  if (l.pixel_offset > file.size()) return Failure::kConversion;
  const uint64_t available = file.size() - l.pixel_offset;
  if (IsRunLength(l)) {
    if (available < 2 || PixelCount(l) > available / 2 * kRunLengthPixelsPerTwoBytes) return Failure::kConversion;
    return Failure::kNone;
  }
  return available < Stride(l) * AbsHeight(l) ? Failure::kConversion : Failure::kNone;
}

// Uncompressed rows, each padded to 4 bytes. Top-down files are turned so the
// output always runs bottom-up.
void DecodeRows(std::span<const uint8_t> file, const Layout& l, uint8_t* out) {
  const uint64_t rows = AbsHeight(l);
  const uint64_t stride = Stride(l);
  const uint64_t out_stride = uint64_t{3} * static_cast<uint64_t>(l.width);
  for (uint64_t row = 0; row < rows; ++row) {
    const uint64_t target = l.height < 0 ? rows - 1 - row : row;
    ConvertRow(l, file.data() + l.pixel_offset + row * stride, out + target * out_stride);
  }
}

// Run-length encoded 8- or 4-bit pixels. Pixels the stream skips (delta,
// early end of line or bitmap) stay black, as in a fresh DIB section; pixels
// beyond the row's end are dropped. A stream that runs out before the last row
// or the end-of-bitmap escape is refused.
Failure DecodeRle(std::span<const uint8_t> file, const Layout& l, uint8_t* out) {
  const uint8_t* p = file.data() + l.pixel_offset;
  const uint8_t* const end = file.data() + file.size();
  const bool rle8 = l.compression == kRle8;
  const int64_t width = l.width, height = l.height;
  int64_t x = 0, y = 0;
  auto put = [&](uint32_t index) {
    if (x < width) PutPixel(out + 3 * (y * width + x), Lookup(l, index));
    ++x;
  };
  while (y < height) {
    if (end - p < 2) return Failure::kConversion;
    const uint8_t n = p[0], code = p[1];
    p += 2;
    if (n > 0) {  // a run of one index (RLE8) or of two alternating ones (RLE4)
      for (int i = 0; i < n; ++i) put(rle8 ? code : (i & 1) ? code & 0xF : code >> 4);
    } else if (code == 0) {  // end of line
      x = 0;
      ++y;
    } else if (code == 1) {  // end of bitmap
      return Failure::kNone;
    } else if (code == 2) {  // delta: move right and up
      if (end - p < 2) return Failure::kConversion;
      x += p[0];
      y += p[1];
      p += 2;
    } else {  // absolute run of `code` indices, padded to a 16-bit boundary
      const int64_t bytes = rle8 ? code : (code + 1) / 2;
      const int64_t padded = bytes + (bytes & 1);
      if (end - p < padded) return Failure::kConversion;
      for (int i = 0; i < code; ++i) put(rle8 ? p[i] : (i & 1) ? p[i / 2] & 0xF : p[i / 2] >> 4);
      p += padded;
    }
  }
  return Failure::kNone;
}

Failure Decode(std::span<const uint8_t> file, RgbImagePtr& result) {
  Layout layout;
  Failure failure = ParseHeaders(file, layout);
  if (failure == Failure::kNone) failure = CheckFormat(layout);
  if (failure != Failure::kNone) return failure;
  failure = CheckDeclaredSize(layout);
  if (failure == Failure::kNone) failure = CheckPixelData(file, layout);
  if (failure != Failure::kNone) return failure;

  const bool rle = IsRunLength(layout);
  // Skipped run-length pixels must read black, so that buffer starts zeroed.
  const size_t bytes = static_cast<size_t>(OutputBytes(layout));
  auto* data = static_cast<uint8_t*>(rle ? std::calloc(bytes, 1) : std::malloc(bytes));
  if (!data) return Failure::kOutOfMemory;
  if (rle) {
    failure = DecodeRle(file, layout, data);
  } else {
    DecodeRows(file, layout, data);
  }
  if (failure != Failure::kNone) {
    std::free(data);
    return failure;
  }
  void* record = std::malloc(sizeof(RgbImage));
  if (!record) {
    std::free(data);
    return Failure::kOutOfMemory;
  }
  result.reset(new (record) RgbImage{layout.width, static_cast<int32_t>(AbsHeight(layout)), data});
  return Failure::kNone;
}

}  // namespace

void FreeRgbImage(RgbImage* image) {
  if (!image) return;
  std::free(image->data);
  image->~RgbImage();
  std::free(image);
}

uint16_t CountPaletteEntries(const uint8_t* header, size_t available) {
  if (!header || available < 4) return 0;
  uint32_t bits = 0;
  if (Le32(header) == kCoreHeaderSize) {
    if (available >= kCoreHeaderSize) bits = Le16(header + 10);
  } else {
    if (available >= 36) {
      const uint32_t used = Le32(header + 32);
      if (used != 0) return static_cast<uint16_t>(used);
    }
    if (available >= 16) bits = Le16(header + 14);
  }
  switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

RgbImagePtr DecodeBitmapImage(std::span<const uint8_t> file, const std::string& /*path*/) {
  RgbImagePtr image;
  switch (Decode(file, image)) {
    case Failure::kNone: break;
    case Failure::kUnknownFormat: ShowErrorMessage("Unknown DIB file format."); break;
    case Failure::kOutOfMemory: ShowErrorMessage("Out of memory."); break;
    case Failure::kConversion: ShowErrorMessage("Image file conversion error."); break;
  }
  return image;
}

}  // namespace oruna
