// Text conversion on Windows: UTF-8 in memory, the ANSI code page (CP_ACP,
// 932 on Japanese systems) in the settings file, through UTF-16 with
// MultiByteToWideChar and WideCharToMultiByte. A charset is named "CP<n>"
// (the form SettingsFileCharset gives) or "UTF-8".
#include <windows.h>

#include "code_page.h"
#include "ini_format.h"
#include "wide_text_win32.h"

namespace oruna {
namespace {

// The number in a charset name: "CP932", "cp1252", "932"; 0 for any other.
UINT CodePageNumber(std::string_view charset) {
  if (charset.size() > 2 && AsciiEqualNoCase(charset.substr(0, 2), "CP")) charset.remove_prefix(2);
  UINT page = 0;
  for (char c : charset) {
    if (c < '0' || c > '9' || page > 100000) return 0;
    page = page * 10 + static_cast<UINT>(c - '0');
  }
  return page;
}

// The code page a charset name stands for; a name without a number stands
// for the ANSI code page, which may itself be UTF-8.
UINT CodePageOf(std::string_view charset) {
  if (IsUtf8Charset(charset)) return CP_UTF8;
  const UINT page = CodePageNumber(charset);
  return page != 0 ? page : GetACP();
}

// Length of the UTF-8 character at the start of `text`; 0 for a character
// cut off by the end of the text, 1 for a byte that starts no well-formed
// sequence (it is replaced on its own).
size_t Utf8CharLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 1;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  for (size_t i = 1; i < length; ++i) {
    if (i >= text.size()) return 0;
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

// UTF-8 to `page`, character by character: a malformed byte, and a
// character the code page cannot hold, become one "?" each; a character cut
// off at the end is left out.
std::string NarrowUtf8(std::string_view utf8, UINT page) {
  std::string out;
  while (!utf8.empty()) {
    const size_t length = Utf8CharLength(utf8);
    if (length == 0) break;
    const std::wstring one = WideFromBytes(utf8.substr(0, length), CP_UTF8, MB_ERR_INVALID_CHARS);
    utf8.remove_prefix(length);
    char bytes[8];
    BOOL used_default = FALSE;
    const int n = one.empty() ? 0
                              : WideCharToMultiByte(page, 0, one.data(), static_cast<int>(one.size()), bytes,
                                                    sizeof bytes, "?", &used_default);
    if (n <= 0 || used_default) out += '?';
    else out.append(bytes, static_cast<size_t>(n));
  }
  return out;
}

std::string AnsiCodePageName() {
  const UINT page = GetACP();
  if (page == CP_UTF8) return "UTF-8";
  return "CP" + std::to_string(page);
}

}  // namespace

const std::string& SettingsFileCharset() {
  static const std::string charset = AnsiCodePageName();
  return charset;
}

bool IsUtf8Charset(std::string_view charset) {
  return AsciiEqualNoCase(charset, "UTF-8") || AsciiEqualNoCase(charset, "UTF8");
}

std::string ToCodePage(std::string_view utf8, const std::string& charset) {
  const UINT page = CodePageOf(charset);
  if (page == CP_UTF8) return std::string(utf8);
  return NarrowUtf8(utf8, page);
}

std::string FromCodePage(std::string_view bytes, const std::string& charset) {
  const UINT page = CodePageOf(charset);
  if (page == CP_UTF8) return std::string(bytes);
  // A double-byte character cut off at the end (a value cut in the middle of
  // a character) is left out, not turned into a stray character.
  size_t keep = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (IsDBCSLeadByteEx(page, static_cast<BYTE>(bytes[i]))) {
      if (i + 1 >= bytes.size()) break;
      ++i;
    }
    keep = i + 1;
  }
  // Bytes the code page does not define become its default character.
  return Utf8FromWide(WideFromBytes(bytes.substr(0, keep), page));
}

}  // namespace oruna
