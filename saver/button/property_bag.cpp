#include "property_bag.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace oruna {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
  const size_t begin = text.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return {};
  const size_t end = text.find_last_not_of(kBlanks);
  return text.substr(begin, end - begin + 1);
}

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

// Compared in place: reading a bag looks every key up among those before it.
bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerChar(x) == LowerChar(y); });
}

// A whole decimal integer, blanks around it allowed.
std::optional<int64_t> ParseInteger(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<double> ParseDouble(std::string_view text) {
  text = Trim(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// Reads a quoted text at the start of `text`; `rest` gets what follows it.
std::optional<std::string> Unquote(std::string_view text, std::string_view& rest) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      rest = text.substr(i + 1);
      return out;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == text.size()) break;
    switch (text[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      default: out += text[i];
    }
  }
  return std::nullopt;  // no closing quote
}

std::string FormatSize(double size) {
  char buffer[400];  // room for every finite double in fixed notation
  std::snprintf(buffer, sizeof buffer, "%.4f", size);
  std::string text = buffer;
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

std::string FormatFont(const FontObject& font) {
  return Quote(font.name) + ", " + FormatSize(font.size) + ", " + std::to_string(font.weight) + ", " +
         std::to_string(font.charset) + ", " + (font.italic ? "1" : "0") + ", " + (font.underline ? "1" : "0") +
         ", " + (font.strikethrough ? "1" : "0");
}

// The fields after a font's quoted name: ", size, weight, charset, italic,
// underline, strike-through".
std::optional<FontObject> ParseFontFields(std::string name, std::string_view fields) {
  std::vector<std::string_view> parts;
  fields = Trim(fields);
  if (fields.empty() || fields.front() != ',') return std::nullopt;
  fields.remove_prefix(1);
  for (size_t comma; (comma = fields.find(',')) != std::string_view::npos; fields.remove_prefix(comma + 1))
    parts.push_back(fields.substr(0, comma));
  parts.push_back(fields);
  if (parts.size() != 6) return std::nullopt;
  const std::optional<double> size = ParseDouble(parts[0]);
  std::optional<int64_t> numbers[5];
  for (int i = 0; i < 5; ++i) numbers[i] = ParseInteger(parts[static_cast<size_t>(i) + 1]);
  if (!size || std::any_of(std::begin(numbers), std::end(numbers), [](auto& n) { return !n; })) return std::nullopt;
  // Sizes are kept to four decimals: one that rounds to nothing would be
  // written back as 0 and lost, and one past a 64-bit count of
  // ten-thousandths cannot be compared or stored as such.
  const double ten_thousandths = std::round(*size * 10000);
  if (!(ten_thousandths >= 1 && ten_thousandths < 9.2e18)) return std::nullopt;
  if (*numbers[0] < 0 || *numbers[0] > 1000 || *numbers[1] < 0 || *numbers[1] > 255) return std::nullopt;
  FontObject font;
  font.name = std::move(name);
  font.size = ten_thousandths / 10000;  // as it will be written back
  font.weight = static_cast<int>(*numbers[0]);
  font.charset = static_cast<int>(*numbers[1]);
  font.italic = *numbers[2] != 0;
  font.underline = *numbers[3] != 0;
  font.strikethrough = *numbers[4] != 0;
  return font;
}

std::string FormatValue(const PropertyValue& value) {
  if (const bool* b = std::get_if<bool>(&value)) return *b ? "true" : "false";
  if (const int64_t* n = std::get_if<int64_t>(&value)) return std::to_string(*n);
  if (const std::string* s = std::get_if<std::string>(&value)) return Quote(*s);
  return FormatFont(std::get<FontObject>(value));
}

std::optional<PropertyValue> ParseValue(std::string_view text) {
  std::string_view rest;
  if (std::optional<std::string> quoted = Unquote(text, rest)) {
    if (Trim(rest).empty()) return PropertyValue(std::move(*quoted));
    if (std::optional<FontObject> font = ParseFontFields(std::move(*quoted), rest)) return PropertyValue(*font);
    return std::nullopt;
  }
  if (!text.empty() && text.front() == '"') return std::nullopt;
  return PropertyValue(std::string(text));  // bare: a number or true/false, converted when read
}

}  // namespace

std::optional<bool> PropertyAsBool(const PropertyValue& value) {
  if (const bool* b = std::get_if<bool>(&value)) return *b;
  if (const int64_t* n = std::get_if<int64_t>(&value)) return *n != 0;
  if (const std::string* s = std::get_if<std::string>(&value)) {
    const std::string word = Lower(Trim(*s));
    if (word == "true") return true;
    if (word == "false") return false;
    if (std::optional<int64_t> n = ParseInteger(*s)) return *n != 0;
  }
  return std::nullopt;
}

std::optional<int64_t> PropertyAsInteger(const PropertyValue& value, int64_t min, int64_t max) {
  std::optional<int64_t> n;
  if (const int64_t* i = std::get_if<int64_t>(&value)) n = *i;
  if (const std::string* s = std::get_if<std::string>(&value)) n = ParseInteger(*s);
  if (!n || *n < min || *n > max) return std::nullopt;
  return n;
}

std::optional<std::string> PropertyAsText(const PropertyValue& value) {
  if (const std::string* s = std::get_if<std::string>(&value)) return *s;
  if (const int64_t* n = std::get_if<int64_t>(&value)) return std::to_string(*n);
  if (const bool* b = std::get_if<bool>(&value)) return std::string(*b ? "True" : "False");
  return std::nullopt;
}

std::optional<FontObject> PropertyAsFont(const PropertyValue& value) {
  if (const FontObject* font = std::get_if<FontObject>(&value)) return *font;
  return std::nullopt;
}

bool PropertyValuesEqual(const PropertyValue& a, const PropertyValue& b) {
  const bool a_font = std::holds_alternative<FontObject>(a), b_font = std::holds_alternative<FontObject>(b);
  if (a_font || b_font) return a_font && b_font && std::get<FontObject>(a) == std::get<FontObject>(b);
  if (std::holds_alternative<std::string>(a) && std::holds_alternative<std::string>(b))
    return std::get<std::string>(a) == std::get<std::string>(b);
  if (std::holds_alternative<bool>(a) || std::holds_alternative<bool>(b)) {
    const std::optional<bool> x = PropertyAsBool(a), y = PropertyAsBool(b);
    return x && y && *x == *y;
  }
  // Numbers, or a number and a text that spells one ("1" equals 1).
  const std::optional<int64_t> x = PropertyAsInteger(a, INT64_MIN, INT64_MAX);
  const std::optional<int64_t> y = PropertyAsInteger(b, INT64_MIN, INT64_MAX);
  return x && y && *x == *y;
}

PropertyValue PropertyBag::ReadProperty(std::string_view key, const PropertyValue& default_value) const {
  for (const auto& [name, value] : entries_)
    if (SameKey(name, key)) return value;
  return default_value;
}

void PropertyBag::WriteProperty(std::string_view key, const PropertyValue& value,
                                const PropertyValue& default_value) {
  const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return SameKey(e.first, key); });
  if (PropertyValuesEqual(value, default_value)) {
    if (found != entries_.end()) entries_.erase(found);
    return;
  }
  if (found != entries_.end()) {
    found->second = value;
  } else {
    entries_.emplace_back(Lower(key), value);
  }
}

bool PropertyBag::Contains(std::string_view key) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const auto& e) { return SameKey(e.first, key); });
}

std::vector<std::string> PropertyBag::Keys() const {
  std::vector<std::string> keys;
  for (const auto& entry : entries_) keys.push_back(entry.first);
  return keys;
}

std::string PropertyBag::ToText() const {
  std::string text;
  for (const auto& [key, value] : entries_) text += key + " = " + FormatValue(value) + "\n";
  return text;
}

PropertyBag PropertyBag::FromText(std::string_view text) {
  PropertyBag bag;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    std::optional<PropertyValue> value = ParseValue(Trim(line.substr(equals + 1)));
    if (key.empty() || !value || bag.Contains(key)) continue;  // the first of a repeated key counts
    bag.entries_.emplace_back(Lower(key), std::move(*value));
  }
  return bag;
}

bool StoredExtentPixels(const PropertyBag& bag, int& width, int& height) {
  // 2540 HIMETRIC to the inch, 96 pixels to the inch.
  auto pixels = [&](const char* key, int& out) {
    const std::optional<int64_t> himetric = PropertyAsInteger(bag.ReadProperty(key, std::string()), 1, 10000000);
    if (!himetric) return false;
    out = static_cast<int>((*himetric * 96 + 1270) / 2540);
    return true;
  };
  return pixels("_extentx", width) && pixels("_extenty", height);
}

}  // namespace oruna
