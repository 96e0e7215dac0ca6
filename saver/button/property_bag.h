// The per-instance key-value store in which a form keeps the properties of
// each button it holds. Keys match without regard to case and are stored in
// lower case; a value equal to its default is not stored, so an absent key
// reads back as its default.
//
// Stored as text, one "key = value" line per entry in write order:
//   _extentx = 2037
//   caption = "設定"
//   font = "VL PGothic", 9.75, 400, 128, 0, 0, 0
//   enabled = false
// A text is quoted (\" and \\ escaped); a font is its quoted name followed by
// size, weight, character set, italic, underline and strike-through; other
// values (numbers, true and false) stand bare. Blank lines and lines
// starting with "#" are ignored.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "font_object.h"

namespace oruna {

// A value as the control hands it to the bag or gets it back. Values read
// from stored text come back as text (or font) and are converted by the
// reader, as the key's type asks.
using PropertyValue = std::variant<bool, int64_t, std::string, FontObject>;

class PropertyBag {
 public:
  // The stored value of `key`, or `default_value` when there is none.
  PropertyValue ReadProperty(std::string_view key, const PropertyValue& default_value) const;
  // Stores `value` under `key`, or removes the key when the value equals
  // `default_value` (a default given as text equals the number it spells).
  void WriteProperty(std::string_view key, const PropertyValue& value, const PropertyValue& default_value);

  bool Contains(std::string_view key) const;
  size_t size() const { return entries_.size(); }
  // Keys in the order they were first stored.
  std::vector<std::string> Keys() const;

  std::string ToText() const;
  // Lines that cannot be read are skipped; the rest of the text still counts.
  static PropertyBag FromText(std::string_view text);

 private:
  std::vector<std::pair<std::string, PropertyValue>> entries_;
};

// Conversions of a bag value to the key's type; nullopt when the value
// cannot be converted (or does not fit), which leaves the property as it was.
std::optional<bool> PropertyAsBool(const PropertyValue& value);
std::optional<int64_t> PropertyAsInteger(const PropertyValue& value, int64_t min, int64_t max);
std::optional<std::string> PropertyAsText(const PropertyValue& value);
std::optional<FontObject> PropertyAsFont(const PropertyValue& value);

bool PropertyValuesEqual(const PropertyValue& a, const PropertyValue& b);

}  // namespace oruna

namespace oruna {

// The size the form stores with every instance ("_extentx", "_extenty", in
// HIMETRIC: hundredths of a millimetre), in pixels at 96 dots per inch;
// false when either is missing or not a positive number.
bool StoredExtentPixels(const PropertyBag& bag, int& width, int& height);

}  // namespace oruna
