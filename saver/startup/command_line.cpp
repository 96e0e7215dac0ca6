#include "command_line.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace oruna {
namespace {

// Length of the character at `pos`: a well-formed UTF-8 sequence, or one
// byte for anything else (a stray or cut sequence counts byte by byte).
size_t CharLength(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  size_t length = 1;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (pos + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// Byte offset of the character with index `n` (0-based), or the text's size
// when it is shorter.
size_t CharOffset(std::string_view text, size_t n) {
  size_t pos = 0;
  for (; n > 0 && pos < text.size(); --n) pos += CharLength(text, pos);
  return pos;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks that the number reader skips wherever they stand.
bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The longest prefix of `text` that reads as a decimal number (sign,
// digits, fraction, exponent), blanks removed; "" when no digit comes first.
std::string NumberPrefix(std::string_view text) {
  std::string number;
  enum class State { Sign, Integer, Fraction, ExponentSign, Exponent } state = State::Sign;
  size_t mantissa_digits = 0;
  size_t committed = 0;  // length of the longest complete number seen so far
  for (char c : text) {
    if (IsSkipped(c)) continue;
    if (state == State::Sign && (c == '+' || c == '-')) {
      state = State::Integer;
    } else if ((state == State::Sign || state == State::Integer || state == State::Fraction) && IsDigit(c)) {
      if (state == State::Sign) state = State::Integer;
      ++mantissa_digits;
    } else if ((state == State::Sign || state == State::Integer) && c == '.') {
      state = State::Fraction;
    } else if ((state == State::Integer || state == State::Fraction) && mantissa_digits > 0 &&
               (c == 'e' || c == 'E')) {
      state = State::ExponentSign;
    } else if (state == State::ExponentSign && (c == '+' || c == '-')) {
      state = State::Exponent;
    } else if ((state == State::ExponentSign || state == State::Exponent) && IsDigit(c)) {
      state = State::Exponent;
    } else {
      break;
    }
    number += c;
    const bool complete = (state == State::Exponent && IsDigit(c)) ||
                          (state != State::ExponentSign && state != State::Exponent && mantissa_digits > 0);
    if (complete) committed = number.size();
  }
  number.resize(committed);
  return number;
}

}  // namespace

std::string ModeLetter(const std::string& argument_text) {
  const size_t begin = CharOffset(argument_text, 1);
  const size_t end = CharOffset(argument_text, 2);
  std::string letter = argument_text.substr(begin, end - begin);
  if (letter.size() == 1 && letter[0] >= 'a' && letter[0] <= 'z') letter[0] = static_cast<char>(letter[0] - 'a' + 'A');
  return letter;
}

int64_t PreviewParentHandle(const std::string& argument_text) {
  const std::string_view rest = std::string_view(argument_text).substr(CharOffset(argument_text, 3));
  std::string number = NumberPrefix(rest);
  if (number.empty()) return 0;
  if (number.front() == '+') number.erase(0, 1);  // from_chars takes no plus sign
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return 0;
  // Nearest integer, halves to even as the number-to-integer conversion does.
  value = std::nearbyint(value);
  // Window handles are 32-bit: signed on Windows, unsigned X window ids here.
  // Anything outside both ranges names no window.
  if (value < static_cast<double>(INT32_MIN) || value > static_cast<double>(UINT32_MAX)) return 0;
  return static_cast<int64_t>(value);
}

int64_t SettingsOwnerHandle(const std::string& argument_text) { return PreviewParentHandle(argument_text); }

}  // namespace oruna
