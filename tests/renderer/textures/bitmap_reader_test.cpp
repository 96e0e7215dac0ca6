// Bitmap reader: files made by a small writer that also knows the RGB each
// pixel must decode to, across header kinds, depths, widths, palettes,
// compressions and row orders; then damaged and hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "bitmap_reader.h"
#include "error_message.h"
#include "test_support.h"

namespace oruna {
namespace {

using Bytes = std::vector<uint8_t>;
void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v), Put16(b, v >> 16); }
Bytes PaletteColour(int i) { return {uint8_t(i * 37 + 11), uint8_t(i * 91 + 3), uint8_t(250 - i * 13)}; }

struct BmpSpec {
  BmpSpec(bool core, bool file_header, int bits, int32_t width = 3, int32_t height = 2,
          uint32_t colours_used = 0, uint32_t compression = 0, std::vector<uint32_t> masks = {})
      : core(core), file_header(file_header), bits(bits), width(width), height(height),
        colours_used(colours_used), compression(compression), masks(std::move(masks)) {}
  bool core, file_header;  // 12-byte header instead of 40; "BM" file header or packed DIB
  int bits;
  int32_t width, height;  // negative height: top-down rows
  uint32_t colours_used, compression;
  std::vector<uint32_t> masks;  // red, green, blue, with compression 3
};

// Stores one channel in the `mask` bits (the colour's top bits) and returns
// what it must read back as: the stored bits repeated to fill 8.
uint8_t StoreChannel(uint8_t c, uint32_t mask, uint32_t& pixel) {
  const int n = __builtin_popcount(mask);
  const uint32_t v = n <= 8 ? c >> (8 - n) : uint32_t(c) << (n - 8) | c >> (16 - n);
  pixel |= v << __builtin_ctz(mask);
  return uint8_t(n == 5 ? v << 3 | v >> 2 : n == 6 ? v << 2 | v >> 4 : n == 10 ? v >> 2 : v);
}

// The file, and its expected decode (RGB, bottom-up).
std::pair<Bytes, Bytes> Generate(const BmpSpec& s) {
  const int count = !s.core && s.colours_used ? uint16_t(s.colours_used) : s.bits <= 8 ? 1 << s.bits : 0;
  const int usable = std::min(count, s.bits <= 8 ? 1 << s.bits : 0), rows = std::abs(s.height);
  const bool rle = s.compression == 1 || s.compression == 2;
  std::vector<uint32_t> masks = s.masks;
  if (masks.empty() && s.bits == 16) masks = {0x7C00, 0x3E0, 0x1F};
  if (masks.empty()) masks = {0xFF0000, 0xFF00, 0xFF};
  Bytes head, pixels, rgb;
  if (s.core) {
    for (int v : {12, 0, s.width, s.height, 1, s.bits}) Put16(head, v);
  } else {
    for (uint32_t v : {40u, uint32_t(s.width), uint32_t(s.height), 1u | s.bits << 16, s.compression, 0u,
                       0u, 0u, s.colours_used, 0u})
      Put32(head, v);
    for (uint32_t m : s.masks) Put32(head, m);
  }
  for (int i = 0; i < count; ++i) {
    const Bytes c = PaletteColour(i);
    head.insert(head.end(), {c[2], c[1], c[0]});
    if (!s.core) head.push_back(0);
  }
  for (int y = 0; y < rows; ++y) {  // y counts from the bottom of the picture
    Bytes row;
    for (int x = 0; x < s.width; ++x) {
      if (s.bits <= 8) {
        const int index = ((x < 6 ? x : x / 4 * 4) * 7 + y * 3 + 1) % usable;  // runs from x = 6 on
        const Bytes c = PaletteColour(index);
        rgb.insert(rgb.end(), c.begin(), c.end());
        const uint8_t code = uint8_t(index * (s.bits == 4 ? 17 : 1));  // RLE4: two equal nibbles
        if (rle && (x == 0 || code != row.back() || row[row.size() - 2] == 255)) row.insert(row.end(), {1, code});
        else if (rle) ++row[row.size() - 2];
        else if (x * s.bits % 8 == 0) row.push_back(uint8_t(index << (8 - s.bits)));
        else row.back() |= uint8_t(index << (8 - s.bits - x * s.bits % 8));
      } else {
        uint32_t v = 0;
        const uint8_t c[3] = {uint8_t(x * 50 + y * 20 + 5), uint8_t(x * 13 + y * 70 + 100),
                              uint8_t(x * 90 + y * 30 + 200)};
        for (int i = 0; i < 3; ++i) rgb.push_back(s.bits == 24 ? c[i] : StoreChannel(c[i], masks[i], v));
        if (s.bits == 24) v = c[0] << 16 | c[1] << 8 | c[2];
        for (int k = 0; k < s.bits / 8; ++k) row.push_back(uint8_t(v >> 8 * k));
      }
    }
    if (rle) row.insert(row.end(), {0, uint8_t(y + 1 == rows)});  // end of line, or of bitmap
    else row.resize((row.size() + 3) / 4 * 4);
    pixels.insert(s.height < 0 ? pixels.begin() : pixels.end(), row.begin(), row.end());
  }
  Bytes file;
  if (s.file_header) {
    const uint32_t offset = 14 + head.size();
    file = {'B', 'M'};
    for (uint32_t v : {uint32_t(offset + pixels.size()), 0u, offset}) Put32(file, v);
  }
  file.insert(file.end(), head.begin(), head.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return {file, rgb};
}

class BitmapReader : public testing::Test {
 protected:
  void SetUp() override {
    SetErrorMessageSink([this](const std::string& caption, const std::string& text) {
      EXPECT_EQ(caption, "Error");
      messages.push_back(text);
    });
  }
  void TearDown() override { SetErrorMessageSink({}); }

  void ExpectDecodes(const BmpSpec& s) {
    const auto [file, rgb] = Generate(s);
    if (const char* dir = std::getenv("ORUNA_BITMAP_SEED_DIR"))  // seeds for the fuzzer
      test::WriteFileBytes(std::string(dir) + "/seed" + std::to_string(seeds++) + ".bmp", file);
    RgbImagePtr image = DecodeBitmapImage(file, "x.bmp");
    ASSERT_TRUE(image) << (messages.empty() ? "" : messages.back());
    EXPECT_EQ(image->width, s.width);
    EXPECT_EQ(image->height, std::abs(s.height));
    EXPECT_EQ(Bytes(image->data, image->data + rgb.size()), rgb);
    EXPECT_TRUE(messages.empty());
  }

  void ExpectRefused(const Bytes& file, const std::string& message) {
    messages.clear();
    EXPECT_FALSE(DecodeBitmapImage(file, "x.bmp"));
    EXPECT_EQ(messages, std::vector<std::string>{message});
  }

  std::vector<std::string> messages;
  static inline int seeds = 0;
};

TEST_F(BitmapReader, DecodesEveryHeaderDepthAndWidth) {
  for (bool core : {false, true})
    for (bool file_header : {true, false})
      for (int bits : {1, 4, 8, 16, 24, 32})
        for (int width = 1; width <= 5; ++width)
          for (int height : {1, 3, -2}) {
            if (core && height < 0) continue;
            SCOPED_TRACE(testing::Message() << core << file_header << " " << bits << " bits " << width << "x"
                                            << height);
            ExpectDecodes({core, file_header, bits, width, height});
          }
}

TEST_F(BitmapReader, ColourTableFollowsColoursUsed) {
  const Bytes info = Generate({false, false, 8, 2, 1, 17}).first;
  EXPECT_EQ(CountPaletteEntries(info.data(), info.size()), 17);
  EXPECT_EQ(CountPaletteEntries(info.data(), 20), 256);  // colours-used out of reach
  EXPECT_EQ(CountPaletteEntries(Generate({true, false, 4}).first.data(), 12), 16);
  EXPECT_EQ(CountPaletteEntries(Generate({false, false, 24}).first.data(), 40), 0);
  for (uint32_t used : {17u, 3u, 300u}) ExpectDecodes({false, false, 8, 5, 3, used});
  ExpectDecodes({false, true, 24, 4, 2, 7});  // a table before direct pixels is skipped
  Bytes file = Generate({false, true, 8, 1, 1, 2}).first;
  file[file.size() - 4] = 200;  // an index beyond the table reads black
  RgbImagePtr image = DecodeBitmapImage(file, "x.bmp");
  ASSERT_TRUE(image);
  EXPECT_EQ(Bytes(image->data, image->data + 3), Bytes(3, 0));
}

TEST_F(BitmapReader, RunLengthAndBitFields) {
  for (bool file_header : {true, false})
    for (int width : {1, 4, 7, 13}) {
      ExpectDecodes({false, file_header, 8, width, 3, 0, 1});
      ExpectDecodes({false, file_header, 4, width, 3, 0, 2});
      ExpectDecodes({false, file_header, 8, width, 2, 40, 1});
      ExpectDecodes({false, file_header, 16, width, 2, 0, 3, {0xF800, 0x7E0, 0x1F}});
      ExpectDecodes({false, file_header, 16, width, -2, 0, 3, {0x1F, 0x3E0, 0x7C00}});
      ExpectDecodes({false, file_header, 32, width, 2, 0, 3, {0xFF, 0xFF00, 0xFF0000}});
      ExpectDecodes({false, file_header, 32, width, 2, 0, 3, {0x3FF00000, 0xFFC00, 0x3FF}});
    }
  // Hand-made 4x3 streams: runs, delta, end of line, absolute runs (padded
  // to 16 bits), a run past the row's end, an early end; skipped pixels black.
  struct Case { uint32_t compression; Bytes stream; std::vector<int> pixels; };
  for (const Case& c :
       {Case{1, {1, 5, 0, 2, 2, 1, 1, 7, 0, 0, 0, 3, 1, 2, 3, 0, 6, 4, 0, 1}, {5, -1, -1, -1, -1, -1, -1, 7, 1, 2, 3, 4}},
        Case{2, {3, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}, {1, 2, 1, -1, 3, 4, 5, 6, -1, -1, -1, -1}},
        Case{1, {1, 2, 0, 2, 0, 9, 1, 3}, {2, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}}}) {
    Bytes file = Generate({false, false, c.compression == 1 ? 8 : 4, 4, 3, 8, c.compression}).first;
    file.resize(40 + 32);
    file.insert(file.end(), c.stream.begin(), c.stream.end());
    RgbImagePtr image = DecodeBitmapImage(file, "x.bmp");
    ASSERT_TRUE(image);
    for (int i = 0; i < 12; ++i)
      EXPECT_EQ(Bytes(image->data + 3 * i, image->data + 3 * i + 3),
                c.pixels[i] < 0 ? Bytes(3, 0) : PaletteColour(c.pixels[i]))
          << i;
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(BitmapReader, TruncatedFilesAreRefusedAtEveryCut) {
  for (const BmpSpec& s : {BmpSpec{false, true, 8}, BmpSpec{true, false, 4, 5}, BmpSpec{false, false, 24, 3, -2},
                           BmpSpec{false, true, 8, 9, 3, 0, 1}, BmpSpec{false, true, 4, 9, 3, 0, 2},
                           BmpSpec{false, false, 16, 2, 2, 0, 3, {0xF800, 0x7E0, 0x1F}}}) {
    const Bytes file = Generate(s).first;
    for (size_t cut = 1; cut < file.size(); ++cut)
      ExpectRefused(Bytes(file.begin(), file.begin() + cut), "Image file conversion error.");
  }
}

TEST_F(BitmapReader, HostileHeadersGetTheirMessage) {
  const std::string unknown = "Unknown DIB file format.", oom = "Out of memory.",
                    bad = "Image file conversion error.";
  struct Case { BmpSpec spec; size_t at; Bytes value; const std::string& message; };
  const BmpSpec plain{false, false, 24}, rle{false, true, 8, 3, 2, 0, 1};
  for (const Case& c : std::vector<Case>{
           {plain, 0, {108}, unknown}, {plain, 0, {124}, unknown}, {{false, true, 24}, 14, {64}, unknown},
           {plain, 4, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}, oom},
           {plain, 8, {0, 0, 0, 0x80}, oom},                           // height -2^31
           {{true, false, 24}, 4, {0xFF, 0xFF, 0xFF, 0xFF}, oom},
           {rle, 18, {0xFF, 0xFF, 0, 0x10}, oom},                      // needs no pixel data
           {plain, 4, {0, 0, 0, 0}, bad}, {plain, 4, {0xFD, 0xFF, 0xFF, 0xFF}, bad},  // width 0, -3
           {plain, 8, {0, 0, 0, 0}, bad}, {{true, false, 24}, 6, {0, 0}, bad},        // height 0
           {plain, 14, {2}, bad}, {plain, 16, {4}, bad},                              // 2 bits, JPEG
           {plain, 16, {3}, bad}, {{false, false, 8}, 16, {2}, bad},                 // bit fields on 24, RLE4 on 8
           {rle, 22, {0xFE, 0xFF, 0xFF, 0xFF}, bad},                   // top-down run-length
           {plain, 32, {0xFF, 0xFF}, bad},                             // colour table beyond the end
           {{false, true, 24}, 10, {0xFF, 0xFF, 0, 0}, bad}, {rle, 10, {0xFF, 0xFF, 0, 0}, bad}}) {
    Bytes file = Generate(c.spec).first;
    std::copy(c.value.begin(), c.value.end(), file.begin() + c.at);
    ExpectRefused(file, c.message);
  }
  ExpectRefused({}, bad);
}

TEST_F(BitmapReader, FilesOnDisk) {
  test::TempDir dir;
  const std::string empty = dir.path() + "/empty.bmp", missing = dir.path() + "/none.bmp",
                    good = dir.path() + "/good.bmp";
  const auto [file, rgb] = Generate({false, true, 24, 5, 3});
  ASSERT_TRUE(test::WriteFileBytes(empty, {}) && test::WriteFileBytes(good, file));
  EXPECT_FALSE(OpenBitmapImage(missing) || OpenBitmapImage(""));
  EXPECT_TRUE(messages.empty());  // absent files are skipped silently
  EXPECT_FALSE(OpenBitmapImage(empty) || ReadBitmapImage(missing) || OpenBitmapImage(dir.path()));
  const std::string failed = "Failed to open DIB file ";
  EXPECT_EQ(messages, (std::vector<std::string>{failed + empty + ".\n", failed + missing + ".\n",
                                                failed + dir.path() + ".\n"}));
  RgbImagePtr image = OpenBitmapImage(good);
  ASSERT_TRUE(image);
  EXPECT_EQ(Bytes(image->data, image->data + rgb.size()), rgb);
}

TEST(BitmapMessageBox, WithoutDisplayTheTextGoesToStderr) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  testing::internal::CaptureStderr();
  PlatformMessageBox("Error", "Out of memory.");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Out of memory.\n");
}

}  // namespace
}  // namespace oruna
