// What a small bitmap file can make the renderer hold: headers that declare
// far more than the file can fill are refused before anything is allocated,
// and the largest images a file of up to 1 MB can still make decode and pass
// through the mipmap chain in well under 300 MB. Each file is decoded in a
// child process of its own, whose high-water mark is the measure (loose
// bounds, no timing).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bitmap_reader.h"
#include "error_message.h"
#include "mipmap_chain.h"
#include "test_support.h"

namespace oruna {
namespace {

using Bytes = std::vector<uint8_t>;
void Put16(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) { Put16(b, v), Put16(b, v >> 16); }

// A file with the 14-byte file header, the 40-byte info header and a
// two-colour table (black, white), then `pixels`.
Bytes Bitmap(int32_t width, int32_t height, int bits, uint32_t compression, const Bytes& pixels) {
  Bytes file = {'B', 'M'};
  const uint32_t offset = 14 + 40 + 8;
  for (uint32_t v : {uint32_t(offset + pixels.size()), 0u, offset, 40u, uint32_t(width), uint32_t(height),
                     1u | uint32_t(bits) << 16, compression, 0u, 0u, 0u, 2u, 0u})
    Put32(file, v);
  for (uint32_t colour : {0u, 0xFFFFFFu}) Put32(file, colour);
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

// An 8-bit run-length stream painting every pixel white with runs of 255
// (and a shorter last run), each row closed; the bitmap's end after the last.
Bytes WhiteRuns(int width, int height) {
  Bytes stream;
  for (int y = 0; y < height; ++y) {
    for (int left = width; left > 0; left -= 255) stream.insert(stream.end(), {uint8_t(std::min(left, 255)), 1});
    stream.insert(stream.end(), {0, uint8_t(y + 1 == height)});
  }
  return stream;
}

// The mipmap levels are built as the upload builds them on Mesa's software
// renderer, whose largest texture side is 16384.
constexpr int kLargestTextureSide = 16384;
constexpr long kLooseBoundKiB = 300 * 1024;

struct Outcome {
  bool decoded = false;
  std::string message;
  long peak_kib = -1;
};

// Decodes `file` in a child process, builds its mipmap chain, and reports
// what became of it and the child's peak memory.
Outcome DecodeInChild(const Bytes& file) {
  Outcome outcome;
  test::TempDir dir;
  const std::string result = dir.path() + "/result";
  const std::optional<long> peak = test::PeakResidentKiBOfChild([&] {
    std::string message;
    SetErrorMessageSink([&](const std::string&, const std::string& text) { message = text; });
    RgbImagePtr image = DecodeBitmapImage(file, "x.bmp");
    if (image)
      ForEachMipmapLevel(MipmapLevelZero(image->data, image->width, image->height, kLargestTextureSide),
                         [](int, const RgbPixels&) {});
    test::WriteFileBytes(result, Bytes(message.begin(), message.end()));
    if (image) test::WriteFileBytes(result + ".ok", {});
  });
  outcome.decoded = test::FileExists(result + ".ok");
  outcome.message = test::ReadText(result);
  outcome.peak_kib = peak.value_or(-1);
  return outcome;
}

TEST(TextureMemory, DeclaredSizesNoFileCanFillAreRefusedCheaply) {
  const std::string oom = "Out of memory.", bad = "Image file conversion error.";
  struct Case {
    const char* what;
    Bytes file;
    const std::string& message;
  };
  const Case cases[] = {
      // 64 bytes: an end-of-bitmap escape declaring 89,478,485 x 1 pixels.
      {"run-length, 89478485 x 1", Bitmap(89478485, 1, 8, 1, {0, 1}), oom},
      {"run-length, side beyond 65536", Bitmap(65537, 1, 8, 1, WhiteRuns(65537, 1)), oom},
      // Within the sides, but two bytes cannot paint 16 million pixels.
      {"run-length, 65536 x 256 from 2 bytes", Bitmap(65536, 256, 8, 1, {0, 1}), bad},
      {"run-length, 4096 x 4097", Bitmap(4096, 4097, 8, 1, WhiteRuns(4096, 4097)), oom},
      {"1 bit, 30000 x 30000 without data", Bitmap(30000, 30000, 1, 0, {}), oom},
      {"1 bit, 8000 x 8000 without data", Bitmap(8000, 8000, 1, 0, {}), bad},
      {"1 bit, 65537 x 1 with its data", Bitmap(65537, 1, 1, 0, Bytes(8196, 0xFF)), oom},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome outcome = DecodeInChild(c.file);
    EXPECT_FALSE(outcome.decoded);
    EXPECT_EQ(outcome.message, c.message);
    ASSERT_GT(outcome.peak_kib, 0);
    EXPECT_LT(outcome.peak_kib, kLooseBoundKiB);
  }
}

TEST(TextureMemory, TheLargestImagesASmallFileCanMakeStayWellBelowTheBound) {
  struct Case {
    const char* what;
    Bytes file;
  };
  // 6144 = 1.5 x 4096 rounds up to an 8192-texel level 0, the most a side
  // can grow; 2730 rows keep it within 4096 x 4096 pixels.
  const Case cases[] = {
      {"run-length, 4096 x 4096 (the most it may declare)", Bitmap(4096, 4096, 8, 1, WhiteRuns(4096, 4096))},
      {"run-length, 6144 x 2730", Bitmap(6144, 2730, 8, 1, WhiteRuns(6144, 2730))},
      {"run-length, 65536 x 256", Bitmap(65536, 256, 8, 1, WhiteRuns(65536, 256))},
      {"1 bit, 2880 x 2880 in 1 MB", Bitmap(2880, 2880, 1, 0, Bytes(size_t{360} * 2880, 0x55))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_LE(c.file.size(), size_t{1} << 20);
    const Outcome outcome = DecodeInChild(c.file);
    EXPECT_TRUE(outcome.decoded) << outcome.message;
    ASSERT_GT(outcome.peak_kib, 0);
    EXPECT_LT(outcome.peak_kib, kLooseBoundKiB);
  }
}

}  // namespace
}  // namespace oruna
