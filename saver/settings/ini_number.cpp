#include "ini_number.h"

#include <charconv>
#include <cmath>

namespace oruna {
namespace {

constexpr std::string_view kBlanks = " \t";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the decimal grammar by hand: std::from_chars alone would also take
// "inf", "nan" and hexadecimal forms, and would stop early instead of failing.
bool IsDecimalNumber(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exponent_digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == s.size();
}

}  // namespace

std::string FormatIniNumber(int value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::optional<int16_t> ParseIniNumber(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
  if (!IsDecimalNumber(text)) return std::nullopt;
  if (text.front() == '+') text.remove_prefix(1);  // from_chars takes no plus sign
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  value = std::floor(value);
  if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
  return static_cast<int16_t>(value);
}

void ApplyIniNumber(std::string_view text, int16_t& setting) {
  if (text.find_first_not_of(kBlanks) == std::string_view::npos) {
    setting = 0;
    return;
  }
  if (const auto number = ParseIniNumber(text)) setting = *number;
}

}  // namespace oruna
