// Reading the host's window id from its text form.
#include "host_window.h"

namespace oruna {
namespace {

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

}  // namespace

std::optional<uint32_t> ParseWindowId(std::string_view text) {
  text = Trim(text);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return std::nullopt;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > UINT32_MAX) return std::nullopt;  // checked per digit: no overflow
  }
  if (value == 0) return std::nullopt;  // "no window" in X
  return static_cast<uint32_t>(value);
}

HostWindowRequest HostWindowFromValue(const char* value) {
  // An empty variable is treated as an absent one: some sessions export
  // names without values, and that must not turn a normal run into an end.
  if (value == nullptr || Trim(value).empty()) return {};
  return {true, ParseWindowId(value)};
}

}  // namespace oruna
