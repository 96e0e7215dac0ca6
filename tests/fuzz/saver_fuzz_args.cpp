// libFuzzer target: arbitrary bytes as the saver's argument text. The mode
// letter is at most one character of the text; the preview handle is 0 or a
// value that fits a 32-bit window handle, signed or unsigned.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string letter = oruna::ModeLetter(text);
  if (letter.size() > 4 || (size < 2 && !letter.empty())) std::abort();
  const int64_t handle = oruna::PreviewParentHandle(text);
  if (handle < INT32_MIN || handle > int64_t{UINT32_MAX}) std::abort();
  if (size <= 3 && handle != 0) std::abort();
  return 0;
}
