#include "ini_encoding.h"

#include <cstdint>

namespace oruna {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

bool StartsWith(std::string_view bytes, std::string_view mark) { return bytes.substr(0, mark.size()) == mark; }

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUnit(std::string& out, char16_t unit, bool big_endian) {
  const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
  out += big_endian ? high : low;
  out += big_endian ? low : high;
}

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string Utf8FromUtf16(std::string_view bytes, bool big_endian) {
  std::string out;
  out.reserve(bytes.size());
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) -> char32_t {
    const auto a = static_cast<uint8_t>(bytes[2 * i]), b = static_cast<uint8_t>(bytes[2 * i + 1]);
    return big_endian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
  };
  for (size_t i = 0; i < units; ++i) {
    const char32_t u = unit(i);
    if (IsHighSurrogate(u) && i + 1 < units && IsLowSurrogate(unit(i + 1))) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else {
      AppendUtf8(out, IsHighSurrogate(u) || IsLowSurrogate(u) ? kReplacement : u);
    }
  }
  return out;
}

// Strict: only well-formed UTF-8 (no overlong forms, no surrogates) converts.
std::optional<std::string> Utf16FromUtf8(std::string_view text, bool big_endian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<uint8_t>(text[i]);
    size_t length = 0;
    char32_t c = 0, least = 0;
    if (lead < 0x80) length = 1, c = lead;
    else if (lead >= 0xC2 && lead <= 0xDF) length = 2, c = lead & 0x1F, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, c = lead & 0x0F, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, c = lead & 0x07, least = 0x10000;
    else return std::nullopt;
    if (i + length > text.size()) return std::nullopt;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) return std::nullopt;
    if (c >= 0x10000) {
      AppendUnit(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), big_endian);
      AppendUnit(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), big_endian);
    } else {
      AppendUnit(out, static_cast<char16_t>(c), big_endian);
    }
    i += length;
  }
  return out;
}

}  // namespace

IniFileText DecodeIniFile(std::string_view bytes) {
  if (StartsWith(bytes, kUtf8Mark)) return {IniEncoding::Utf8Mark, std::string(bytes)};
  if (StartsWith(bytes, kUtf16LeMark))
    return {IniEncoding::Utf16Le, Utf8FromUtf16(bytes.substr(kUtf16LeMark.size()), false)};
  if (StartsWith(bytes, kUtf16BeMark))
    return {IniEncoding::Utf16Be, Utf8FromUtf16(bytes.substr(kUtf16BeMark.size()), true)};
  return {IniEncoding::CodePage, std::string(bytes)};
}

std::optional<std::string> EncodeIniFile(const IniFileText& file) {
  const bool big_endian = file.encoding == IniEncoding::Utf16Be;
  switch (file.encoding) {
    case IniEncoding::CodePage:
    case IniEncoding::Utf8Mark:
      return file.text;
    case IniEncoding::Utf16Le:
    case IniEncoding::Utf16Be:
      break;
  }
  std::optional<std::string> units = Utf16FromUtf8(file.text, big_endian);
  if (!units) return std::nullopt;
  return std::string(big_endian ? kUtf16BeMark : kUtf16LeMark) + *units;
}

std::string IniTextCharset(IniEncoding encoding, const std::string& code_page) {
  return encoding == IniEncoding::CodePage ? code_page : "UTF-8";
}

}  // namespace oruna
