// Bitmap reader: files made by a small writer here, which also knows the RGB
// each pixel should decode to, across header kinds, depths, widths, palettes,
// compressions and row orders; plus damaged and hostile files.
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
struct Rgb {
  uint8_t r, g, b;
};

void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v), Put16(b, v >> 16); }

Rgb PaletteColour(int i) { return {uint8_t(i * 37 + 11), uint8_t(i * 91 + 3), uint8_t(250 - i * 13)}; }
Rgb DirectColour(int x, int y) { return {uint8_t(x * 50 + y * 20 + 5), uint8_t(x * 13 + y * 70 + 100), uint8_t(x * 90 + y * 30 + 200)}; }

// A channel of `n` stored bits widened to 8 by repeating its top bits.
uint8_t Widen(uint32_t s, int n) {
  switch (n) {
    case 5: return uint8_t(s << 3 | s >> 2);
    case 6: return uint8_t(s << 2 | s >> 4);
    case 10: return uint8_t(s >> 2);
    default: return uint8_t(s);
  }
}

struct BmpSpec {
  BmpSpec(bool core, bool file_header, int bits, int32_t width = 3, int32_t height = 2,
          uint32_t colours_used = 0, uint32_t compression = 0, std::vector<uint32_t> masks = {})
      : core(core), file_header(file_header), bits(bits), width(width), height(height),
        colours_used(colours_used), compression(compression), masks(std::move(masks)) {}
  bool core;  // 12-byte header instead of 40
  bool file_header;
  int bits;
  int32_t width, height;  // negative height: top-down rows
  uint32_t colours_used;
  uint32_t compression;
  std::vector<uint32_t> masks;  // with compression 3: red, green, blue
};

struct Generated {
  Bytes file;
  Bytes rgb;  // the expected decode, bottom-up
};

int PaletteCount(const BmpSpec& s) {
  if (!s.core && s.colours_used) return uint16_t(s.colours_used);
  return s.bits == 1 ? 2 : s.bits == 4 ? 16 : s.bits == 8 ? 256 : 0;
}

// Stores one direct-colour pixel and records what it must read back as.
uint32_t EncodeDirect(const BmpSpec& s, Rgb c, Rgb& expect) {
  if (s.bits == 24 || (s.bits == 32 && s.masks.empty())) {
    expect = c;
    return uint32_t(c.r) << 16 | c.g << 8 | c.b;
  }
  std::vector<uint32_t> m = s.masks.empty() ? std::vector<uint32_t>{0x7C00, 0x3E0, 0x1F} : s.masks;
  uint32_t pixel = 0;
  uint8_t in[3] = {c.r, c.g, c.b}, out[3];
  for (int i = 0; i < 3; ++i) {
    int shift = __builtin_ctz(m[i]), n = __builtin_popcount(m[i]);
    uint32_t v = n <= 8 ? in[i] >> (8 - n) : uint32_t(in[i]) << (n - 8) | in[i] >> (16 - n);
    pixel |= v << shift;
    out[i] = Widen(v, n);
  }
  expect = {out[0], out[1], out[2]};
  return pixel;
}

// Run-length data for the index picture: equal neighbours as runs, the rest
// as absolute runs (three or more) or single runs.
void EncodeRle(const BmpSpec& s, const std::vector<std::vector<int>>& rows, Bytes& out) {
  const bool rle8 = s.compression == 1;
  for (size_t y = 0; y < rows.size(); ++y) {
    const auto& row = rows[y];
    for (size_t x = 0; x < row.size();) {
      size_t run = 1, lit = 0;
      while (x + run < row.size() && row[x + run] == row[x] && run < 255) ++run;
      while (x + lit < row.size() && lit < 255 && (x + lit + 1 >= row.size() || row[x + lit + 1] != row[x + lit])) ++lit;
      if (run == 1 && lit >= 3) {
        Bytes packed;
        for (size_t i = 0; i < lit; ++i) {
          if (rle8) packed.push_back(uint8_t(row[x + i]));
          else if (i % 2 == 0) packed.push_back(uint8_t(row[x + i] << 4));
          else packed.back() |= uint8_t(row[x + i]);
        }
        if (packed.size() % 2) packed.push_back(0);
        out.insert(out.end(), {0, uint8_t(lit)});
        out.insert(out.end(), packed.begin(), packed.end());
        x += lit;
      } else {
        out.insert(out.end(), {uint8_t(run), uint8_t(rle8 ? row[x] : row[x] * 17)});
        x += run;
      }
    }
    out.insert(out.end(), {0, uint8_t(y + 1 == rows.size() ? 1 : 0)});  // end of line / bitmap
  }
}

Generated Generate(const BmpSpec& s) {
  const int count = PaletteCount(s), rows = std::abs(s.height);
  const int usable = std::min(count, s.bits <= 8 ? 1 << s.bits : 0);
  Generated g;
  Bytes header, table, pixels;
  if (s.core) {
    Put32(header, 12), Put16(header, s.width), Put16(header, s.height), Put16(header, 1), Put16(header, s.bits);
  } else {
    for (uint32_t v : {40u, uint32_t(s.width), uint32_t(s.height)}) Put32(header, v);
    Put16(header, 1), Put16(header, s.bits);
    for (uint32_t v : {s.compression, 0u, 0u, 0u, s.colours_used, 0u}) Put32(header, v);
    for (uint32_t m : s.masks) Put32(header, m);
  }
  for (int i = 0; i < count; ++i) {
    Rgb c = PaletteColour(i);
    table.insert(table.end(), {c.b, c.g, c.r});
    if (!s.core) table.push_back(0);
  }
  std::vector<std::vector<int>> index_rows(rows);
  g.rgb.resize(size_t(3) * s.width * rows);
  for (int y = 0; y < rows; ++y) {  // y counts from the bottom of the picture
    Bytes row;
    for (int x = 0; x < s.width; ++x) {
      Rgb expect;
      if (s.bits <= 8) {
        int index = ((x < 6 ? x : x / 4 * 4) * 7 + y * 3 + 1) % usable;  // runs from x = 6
        index_rows[y].push_back(index);
        expect = PaletteColour(index);
        if (s.bits == 8) row.push_back(uint8_t(index));
        else if (x * s.bits % 8 == 0) row.push_back(uint8_t(index << (8 - s.bits)));
        else row.back() |= uint8_t(index << (8 - s.bits - x * s.bits % 8));
      } else {
        uint32_t v = EncodeDirect(s, DirectColour(x, y), expect);
        for (int k = 0; k < s.bits / 8; ++k) row.push_back(uint8_t(v >> 8 * k));
      }
      uint8_t* e = &g.rgb[(size_t(y) * s.width + x) * 3];
      e[0] = expect.r, e[1] = expect.g, e[2] = expect.b;
    }
    row.resize((row.size() + 3) / 4 * 4);
    pixels.insert(s.height < 0 ? pixels.begin() : pixels.end(), row.begin(), row.end());
  }
  if (s.compression == 1 || s.compression == 2) pixels.clear(), EncodeRle(s, index_rows, pixels);
  if (s.file_header) {
    const uint32_t offset = 14 + header.size() + table.size();
    g.file = {'B', 'M'};
    Put32(g.file, offset + pixels.size()), Put32(g.file, 0), Put32(g.file, offset);
  }
  for (const Bytes* part : {&header, &table, &pixels}) g.file.insert(g.file.end(), part->begin(), part->end());
  return g;
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

  // Decodes and compares with the generator's picture; no message allowed.
  void ExpectDecodes(const BmpSpec& s) {
    const Generated g = Generate(s);
    if (const char* dir = std::getenv("ORUNA_BITMAP_SEED_DIR"))  // seeds for the fuzzer
      test::WriteFileBytes(std::string(dir) + "/seed" + std::to_string(seed_number++) + ".bmp", g.file);
    RgbImagePtr image = DecodeBitmapImage(g.file, "x.bmp");
    ASSERT_TRUE(image) << (messages.empty() ? "" : messages.back());
    EXPECT_EQ(image->width, s.width);
    EXPECT_EQ(image->height, std::abs(s.height));
    EXPECT_EQ(Bytes(image->data, image->data + g.rgb.size()), g.rgb);
    EXPECT_TRUE(messages.empty());
  }

  // Refused with exactly this one message.
  void ExpectRefused(const Bytes& file, const std::string& message) {
    messages.clear();
    EXPECT_FALSE(DecodeBitmapImage(file, "x.bmp"));
    EXPECT_EQ(messages, std::vector<std::string>{message});
  }

  std::vector<std::string> messages;
  static inline int seed_number = 0;
};

TEST_F(BitmapReader, DecodesEveryHeaderDepthAndWidth) {
  for (bool core : {false, true})
    for (bool file_header : {true, false})
      for (int bits : {1, 4, 8, 16, 24, 32})
        for (int width = 1; width <= 5; ++width)
          for (int height : {1, 3, -2}) {
            if (core && height < 0) continue;
            SCOPED_TRACE(testing::Message() << "core " << core << " fh " << file_header << " bits " << bits
                                            << " " << width << "x" << height);
            ExpectDecodes({core, file_header, bits, width, height});
          }
}

TEST_F(BitmapReader, ColourTableSizeFollowsColoursUsed) {
  const Bytes info = Generate({false, false, 8, 2, 1, 17}).file;
  EXPECT_EQ(CountPaletteEntries(info.data(), info.size()), 17);
  EXPECT_EQ(CountPaletteEntries(info.data(), 20), 256);  // colours-used not readable
  const Bytes core = Generate({true, false, 4, 2, 1}).file;
  EXPECT_EQ(CountPaletteEntries(core.data(), core.size()), 16);
  EXPECT_EQ(CountPaletteEntries(Generate({false, false, 24}).file.data(), 40), 0);
  // A packed DIB's pixels start behind the table it declares.
  for (uint32_t used : {17u, 3u, 300u}) ExpectDecodes({false, false, 8, 5, 3, used});
  ExpectDecodes({false, false, 4, 5, 2, 5});
  ExpectDecodes({false, true, 24, 4, 2, 7});  // a table before direct pixels is skipped

  // Indices beyond the table read black.
  Bytes file = Generate({false, true, 8, 1, 1, 2}).file;
  file[file.size() - 4] = 200;
  RgbImagePtr image = DecodeBitmapImage(file, "x.bmp");
  ASSERT_TRUE(image);
  EXPECT_EQ(Bytes(image->data, image->data + 3), Bytes(3, 0));
}

TEST_F(BitmapReader, RunLengthAndBitFieldPixels) {
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
}

TEST_F(BitmapReader, RunLengthEscapesSkipAndClip) {
  // 4x3 RLE8: a run, a delta, end of line, an absolute run, a run past the
  // row's end, end of bitmap. Skipped pixels stay black.
  BmpSpec s{false, false, 8, 4, 3, 8, 1};
  Bytes file = Generate(s).file;
  file.resize(40 + 32);
  file.insert(file.end(), {1, 5, 0, 2, 2, 1, 1, 7, 0, 0, 0, 3, 1, 2, 3, 0, 6, 4, 0, 1});
  RgbImagePtr image = DecodeBitmapImage(file, "x.bmp");
  ASSERT_TRUE(image);
  const int expect[12] = {5, -1, -1, -1, -1, -1, -1, 7, 1, 2, 3, 4};
  for (int i = 0; i < 12; ++i) {
    Rgb c = expect[i] < 0 ? Rgb{0, 0, 0} : PaletteColour(expect[i]);
    EXPECT_EQ(Bytes(image->data + 3 * i, image->data + 3 * i + 3), (Bytes{c.r, c.g, c.b})) << i;
  }
  // A delta beyond the last row ends the picture.
  file.resize(40 + 32);
  file.insert(file.end(), {1, 2, 0, 2, 0, 9});
  EXPECT_TRUE(DecodeBitmapImage(file, "x.bmp"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(BitmapReader, TruncatedFilesAreRefusedAtEveryCut) {
  for (BmpSpec s : {BmpSpec{false, true, 8, 3, 2}, BmpSpec{true, false, 4, 5, 2}, BmpSpec{false, false, 24, 3, -2},
                    BmpSpec{false, true, 8, 6, 3, 0, 1}, BmpSpec{false, true, 4, 6, 3, 0, 2},
                    BmpSpec{false, false, 16, 2, 2, 0, 3, {0xF800, 0x7E0, 0x1F}}}) {
    const Bytes file = Generate(s).file;
    for (size_t cut = 1; cut < file.size(); ++cut)
      ExpectRefused(Bytes(file.begin(), file.begin() + cut), "Image file conversion error.");
  }
}

TEST_F(BitmapReader, HostileHeadersGetTheirMessage) {
  auto with = [](BmpSpec s, size_t at, Bytes value) {
    Bytes file = Generate(s).file;
    std::copy(value.begin(), value.end(), file.begin() + at);
    return file;
  };
  const BmpSpec plain{false, false, 24, 3, 2};
  for (uint8_t size : {108, 124, 64, 0}) {
    ExpectRefused(with(plain, 0, {size}), "Unknown DIB file format.");
    ExpectRefused(with({false, true, 24, 3, 2}, 14, {size}), "Unknown DIB file format.");
  }
  const std::string oom = "Out of memory.", bad = "Image file conversion error.";
  ExpectRefused(with(plain, 4, {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F}), oom);
  ExpectRefused(with(plain, 4, {0xA0, 0x86, 1, 0, 0xA0, 0x86, 1, 0}), oom);  // 100000 x 100000
  ExpectRefused(with(plain, 8, {0, 0, 0, 0x80}), oom);                      // height -2^31
  ExpectRefused(with({true, false, 24, 3, 2}, 4, {0xFF, 0xFF, 0xFF, 0xFF}), oom);
  ExpectRefused(with({false, false, 8, 3, 2, 0, 1}, 4, {0xFF, 0xFF, 0, 0x10}), oom);  // RLE: no data needed
  ExpectRefused(with(plain, 4, {0, 0, 0, 0}), bad);               // width 0
  ExpectRefused(with(plain, 4, {0xFD, 0xFF, 0xFF, 0xFF}), bad);   // width -3
  ExpectRefused(with(plain, 8, {0, 0, 0, 0}), bad);               // height 0
  ExpectRefused(with({true, false, 24, 3, 2}, 6, {0, 0}), bad);   // core height 0
  ExpectRefused(with(plain, 14, {2}), bad);                       // 2 bits per pixel
  ExpectRefused(with(plain, 16, {4}), bad);                       // JPEG inside
  ExpectRefused(with(plain, 16, {5}), bad);                       // PNG inside
  ExpectRefused(with(plain, 16, {3}), bad);                       // bit fields on 24 bits
  ExpectRefused(with({false, false, 8, 3, 2}, 16, {2}), bad);      // RLE4 on 8 bits
  ExpectRefused(with({false, false, 8, 3, 2, 0, 1}, 8, {0xFE, 0xFF, 0xFF, 0xFF}), bad);  // top-down RLE
  ExpectRefused(with(plain, 32, {0xFF, 0xFF}), bad);              // colour table larger than the file
  ExpectRefused(with({false, true, 24, 3, 2}, 10, {0xFF, 0xFF, 0, 0}), bad);  // pixels beyond the end
  ExpectRefused(with({false, true, 8, 3, 2, 0, 1}, 10, {0xFF, 0xFF, 0, 0}), bad);
  ExpectRefused({}, bad);
}

TEST_F(BitmapReader, FilesOnDisk) {
  test::TempDir dir;
  const std::string empty = dir.path() + "/empty.bmp", missing = dir.path() + "/none.bmp";
  const std::string good = dir.path() + "/good.bmp";
  ASSERT_TRUE(test::WriteFileBytes(empty, {}));
  const Generated g = Generate({false, true, 24, 5, 3});
  ASSERT_TRUE(test::WriteFileBytes(good, g.file));

  EXPECT_FALSE(OpenBitmapImage(missing));
  EXPECT_FALSE(OpenBitmapImage(""));
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(OpenBitmapImage(empty));
  EXPECT_FALSE(ReadBitmapImage(missing));
  EXPECT_FALSE(OpenBitmapImage(dir.path()));
  EXPECT_EQ(messages, (std::vector<std::string>{"Failed to open DIB file " + empty + ".\n",
                                                "Failed to open DIB file " + missing + ".\n",
                                                "Failed to open DIB file " + dir.path() + ".\n"}));
  RgbImagePtr image = OpenBitmapImage(good);
  ASSERT_TRUE(image);
  EXPECT_EQ(Bytes(image->data, image->data + g.rgb.size()), g.rgb);
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
