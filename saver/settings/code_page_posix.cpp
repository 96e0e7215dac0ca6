// Text conversion on POSIX systems: iconv, and the charset of the locale
// from nl_langinfo on a locale object, so the process's own locale is not
// changed behind its back.
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <utility>

#include "code_page.h"
#include "ini_format.h"

namespace oruna {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

std::string LocaleCharset() {
  locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return "UTF-8";
  std::string charset = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  if (charset.empty() || AsciiEqualNoCase(charset, "ANSI_X3.4-1968") || AsciiEqualNoCase(charset, "ASCII") ||
      AsciiEqualNoCase(charset, "US-ASCII")) {
    return "UTF-8";
  }
  return charset;
}

// Length of the UTF-8 character at the start of `text`; 1 for a byte that
// does not start a well-formed sequence, so that it is replaced on its own.
size_t Utf8CharLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 1;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// Runs iconv over the whole input; `on_invalid` gets the unconvertible input
// and returns how many bytes to skip and what to write instead.
template <typename OnInvalid>
std::string Convert(std::string_view input, const char* to, const char* from, OnInvalid on_invalid) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
  std::string out;
  char buffer[1024];
  char* in_ptr = const_cast<char*>(input.data());
  size_t in_left = input.size();
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    const size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, out_ptr - buffer);
    if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
    if (errno == EINVAL) break;  // incomplete character at the end
    const auto [skip, replacement] = on_invalid(std::string_view(in_ptr, in_left));
    out.append(replacement);
    in_ptr += skip;
    in_left -= skip;
  }
  // Flush any shift state of stateful charsets.
  char* out_ptr = buffer;
  size_t out_left = sizeof buffer;
  iconv(cd, nullptr, nullptr, &out_ptr, &out_left);
  out.append(buffer, out_ptr - buffer);
  iconv_close(cd);
  return out;
}

}  // namespace

const std::string& SettingsFileCharset() {
  static const std::string charset = LocaleCharset();
  return charset;
}

bool IsUtf8Charset(std::string_view charset) {
  return AsciiEqualNoCase(charset, "UTF-8") || AsciiEqualNoCase(charset, "UTF8");
}

std::string ToCodePage(std::string_view utf8, const std::string& charset) {
  if (IsUtf8Charset(charset)) return std::string(utf8);
  return Convert(utf8, charset.c_str(), "UTF-8", [](std::string_view rest) {
    return std::pair<size_t, std::string_view>(Utf8CharLength(rest), "?");
  });
}

std::string FromCodePage(std::string_view bytes, const std::string& charset) {
  if (IsUtf8Charset(charset)) return std::string(bytes);
  return Convert(bytes, "UTF-8", charset.c_str(), [](std::string_view) {
    return std::pair<size_t, std::string_view>(1, kReplacementCharacter);
  });
}

}  // namespace oruna
