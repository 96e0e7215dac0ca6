// libFuzzer target: arbitrary bytes as a bitmap file, through the reader and
// the mipmap chain the upload builds from its image. Any input must give an
// image or one message, never a crash, an overread or a hang, and cost no
// more than its length allows (run with -rss_limit_mb and -malloc_limit_mb).
#include <cstddef>
#include <cstdint>

#include "bitmap_reader.h"
#include "error_message.h"
#include "mipmap_chain.h"

namespace {

// GL_MAX_TEXTURE_SIZE of Mesa's software renderer, which the tests use.
constexpr int kLargestTextureSide = 16384;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = (oruna::SetErrorMessageSink([](const std::string&, const std::string&) {}), true);
  (void)quiet;
  oruna::RgbImagePtr image = oruna::DecodeBitmapImage({data, size}, "fuzz.bmp");
  if (!image) return 0;
  // Touch the corners so a wrong size would show up under ASan.
  const size_t bytes = size_t{3} * static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
  volatile uint8_t sink = image->data[0] ^ image->data[bytes - 1];
  oruna::ForEachMipmapLevel(
      oruna::MipmapLevelZero(image->data, image->width, image->height, kLargestTextureSide),
      [&](int, const oruna::RgbPixels& level) { sink = sink ^ level.data.back(); });
  (void)sink;
  return 0;
}
