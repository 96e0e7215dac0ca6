#include "font_object.h"

#include <cmath>

namespace oruna {

bool operator==(const FontObject& a, const FontObject& b) {
  return a.name == b.name && std::llround(a.size * 10000) == std::llround(b.size * 10000) && a.weight == b.weight &&
         a.italic == b.italic && a.underline == b.underline && a.strikethrough == b.strikethrough &&
         a.charset == b.charset;
}

FontObject DesignFont() { return FontObject{"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128}; }

}  // namespace oruna
