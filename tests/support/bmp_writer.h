// Writes small 24-bit bitmap files for tests that feed the renderer.
#pragma once
#include <cstdint>
#include <string>

namespace oruna::test {

// A width x height 24-bit bitmap (file header + 40-byte info header,
// bottom-up) filled with one colour 0xRRGGBB.
bool WriteSolidBitmap(const std::string& path, int width, int height, uint32_t rgb);

}  // namespace oruna::test
