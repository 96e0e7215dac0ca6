// Reads the cursor off an Xvfb frame buffer: the XWD file that Xvfb -fbdir
// maps as its screen memory, and the XFixes image of the cursor in use,
// whose opaque pixels must be found where the pointer is.
#include "screen_cursor_x11.h"

#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <algorithm>
#include <array>
#include <bit>
#include <fstream>

#include "test_support.h"

namespace oruna::test {
namespace {

// The fields of the XWD header that locate and decode the pixels.
struct XwdLayout {
  uint32_t header_size = 0, width = 0, height = 0, byte_order = 0, bits_per_pixel = 0,
           bytes_per_line = 0, red_mask = 0, green_mask = 0, blue_mask = 0, colours = 0;
  size_t PixelsOffset() const { return header_size + colours * 12u; }  // 12 bytes per colour entry
};

std::optional<XwdLayout> ReadXwdLayout(std::ifstream& in) {
  std::array<unsigned char, 100> raw{};  // 25 big-endian 32-bit fields
  if (!in.read(reinterpret_cast<char*>(raw.data()), raw.size())) return std::nullopt;
  auto field = [&](int i) {
    const unsigned char* p = raw.data() + 4 * i;
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
  };
  XwdLayout l;
  l.header_size = field(0);
  l.width = field(4);
  l.height = field(5);
  l.byte_order = field(7);
  l.bits_per_pixel = field(11);
  l.bytes_per_line = field(12);
  l.red_mask = field(14);
  l.green_mask = field(15);
  l.blue_mask = field(16);
  l.colours = field(19);
  if (l.bits_per_pixel != 32 || l.bytes_per_line < 4 * l.width) return std::nullopt;
  return l;
}

// One channel of a pixel, scaled to 8 bits from wherever its mask puts it.
uint32_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const uint32_t value = (pixel & mask) >> std::countr_zero(mask);
  const int bits = std::popcount(mask);
  return bits >= 8 ? value >> (bits - 8) : value << (8 - bits);
}

uint32_t DecodePixel(const unsigned char* p, const XwdLayout& l) {
  const uint32_t pixel = l.byte_order == 0  // LSBFirst
                             ? uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24
                             : uint32_t{p[3]} | uint32_t{p[2]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[0]} << 24;
  return Channel(pixel, l.red_mask) << 16 | Channel(pixel, l.green_mask) << 8 | Channel(pixel, l.blue_mask);
}

}  // namespace

std::optional<std::vector<uint32_t>> ReadFramebuffer(const std::string& file, int x, int y, int width,
                                                     int height) {
  std::ifstream in(file, std::ios::binary);
  const auto layout = ReadXwdLayout(in);
  if (!layout || x < 0 || y < 0 || width <= 0 || height <= 0 ||
      static_cast<uint32_t>(x + width) > layout->width || static_cast<uint32_t>(y + height) > layout->height)
    return std::nullopt;
  std::vector<uint32_t> pixels;
  std::vector<unsigned char> row(static_cast<size_t>(width) * 4);
  for (int r = 0; r < height; ++r) {
    in.seekg(static_cast<std::streamoff>(layout->PixelsOffset() + size_t(y + r) * layout->bytes_per_line +
                                         size_t(x) * 4));
    if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size())))
      return std::nullopt;
    for (int c = 0; c < width; ++c) pixels.push_back(DecodePixel(row.data() + 4 * c, *layout));
  }
  return pixels;
}

ScreenCursor::ScreenCursor(Display* display, std::string framebuffer_file)
    : display_(display), file_(std::move(framebuffer_file)) {}

void ScreenCursor::UsePlainRootCursor() {
  // 15 x 15 pixels, hot spot in the middle: a white frame three pixels wide
  // around a black square, visible on any picture.
  constexpr int kSize = 16, kEdge = 15;
  unsigned char source[kSize * kSize / 8] = {}, mask[kSize * kSize / 8] = {};
  for (int y = 0; y < kEdge; ++y)
    for (int x = 0; x < kEdge; ++x) {
      const int bit = y * kSize + x;  // rows of two bytes, least significant bit first
      mask[bit / 8] |= static_cast<unsigned char>(1u << (bit % 8));
      if (x < 3 || x >= kEdge - 3 || y < 3 || y >= kEdge - 3)
        source[bit / 8] |= static_cast<unsigned char>(1u << (bit % 8));
    }
  const Window root = DefaultRootWindow(display_);
  const Pixmap source_map = XCreateBitmapFromData(display_, root, reinterpret_cast<char*>(source), kSize, kSize);
  const Pixmap mask_map = XCreateBitmapFromData(display_, root, reinterpret_cast<char*>(mask), kSize, kSize);
  XColor white{}, black{};
  white.red = white.green = white.blue = 0xFFFF;
  plain_ = XCreatePixmapCursor(display_, source_map, mask_map, &white, &black, kEdge / 2, kEdge / 2);
  XFreePixmap(display_, source_map);
  XFreePixmap(display_, mask_map);
  XDefineCursor(display_, root, plain_);
  XSync(display_, False);
}

void ScreenCursor::MovePointer(int x, int y) {
  XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
  XSync(display_, False);
}

bool ScreenCursor::DrawnNow() {
  XFixesCursorImage* cursor = XFixesGetCursorImage(display_);
  if (cursor == nullptr) return false;
  // The part of the cursor's rectangle that lies on the screen.
  const int screen = DefaultScreen(display_);
  const int left = cursor->x - cursor->xhot, top = cursor->y - cursor->yhot;
  const int x0 = std::max(left, 0), y0 = std::max(top, 0);
  const int x1 = std::min(left + cursor->width, DisplayWidth(display_, screen));
  const int y1 = std::min(top + cursor->height, DisplayHeight(display_, screen));
  bool drawn = false;
  if (x1 > x0 && y1 > y0) {
    if (const auto screen_pixels = ReadFramebuffer(file_, x0, y0, x1 - x0, y1 - y0)) {
      int opaque = 0, matching = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          const unsigned long argb = cursor->pixels[(y - top) * cursor->width + (x - left)];
          if ((argb >> 24 & 0xFF) != 0xFF) continue;  // blended pixels depend on the picture below
          ++opaque;
          if ((*screen_pixels)[size_t(y - y0) * size_t(x1 - x0) + size_t(x - x0)] == (argb & 0xFFFFFF)) ++matching;
        }
      drawn = opaque > 0 && matching == opaque;
    }
  }
  XFree(cursor);
  return drawn;
}

bool ScreenCursor::SeenWithin(std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return DrawnNow(); }, timeout);
}

bool ScreenCursor::AbsentFor(std::chrono::milliseconds span) {
  return !WaitUntil([&] { return DrawnNow(); }, span);
}

bool ScreenCursor::ShowPlainCursorAt(int x, int y, std::chrono::milliseconds timeout) {
  UsePlainRootCursor();
  MovePointer(x, y);
  return SeenWithin(timeout);
}

}  // namespace oruna::test
