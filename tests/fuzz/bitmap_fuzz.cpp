// libFuzzer target: arbitrary bytes as a bitmap file. Any input must give an
// image or one message, never a crash, an overread or a hang.
#include <cstddef>
#include <cstdint>

#include "bitmap_reader.h"
#include "error_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool quiet = (oruna::SetErrorMessageSink([](const std::string&, const std::string&) {}), true);
  (void)quiet;
  oruna::RgbImagePtr image = oruna::DecodeBitmapImage({data, size}, "fuzz.bmp");
  if (image) {
    // Touch the corners so a wrong size would show up under ASan.
    const size_t bytes = size_t{3} * static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    volatile uint8_t sink = image->data[0] ^ image->data[bytes - 1];
    (void)sink;
  }
  return 0;
}
