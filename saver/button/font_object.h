// The caption font of the button and of the forms that hold it: typeface,
// size in points, weight, style flags and character set, as a value.
#pragma once
#include <cstdint>
#include <string>

namespace oruna {

struct FontObject {
  std::string name;
  double size = 9.75;  // points
  int weight = 400;    // 100 (thin) to 900 (black); 400 regular, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikethrough = false;
  int charset = 128;  // 128: the Japanese (Shift-JIS) character set

  // Sizes are kept to four decimals, so that a size read back from text
  // equals the size that was written.
  friend bool operator==(const FontObject& a, const FontObject& b);
};

// The design font of a new button and of the settings dialog's captions.
FontObject DesignFont();

}  // namespace oruna
