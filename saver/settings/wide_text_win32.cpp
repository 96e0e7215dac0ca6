// UTF-8, UTF-16 and the ANSI code page through MultiByteToWideChar and
// WideCharToMultiByte.
#include "wide_text_win32.h"

#include <windows.h>

namespace oruna {

std::wstring WideFromBytes(std::string_view bytes, unsigned code_page, unsigned long flags) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(code_page, flags, bytes.data(), size, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, flags, bytes.data(), size, wide.data(), n);
  return wide;
}

std::string BytesFromWide(std::wstring_view wide, unsigned code_page) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  // The UTF code pages take no default character.
  const bool utf = code_page == CP_UTF8 || code_page == CP_UTF7 || (code_page == CP_ACP && GetACP() == CP_UTF8);
  const char* default_char = utf ? nullptr : "?";
  const int n = WideCharToMultiByte(code_page, 0, wide.data(), size, nullptr, 0, default_char, nullptr);
  if (n <= 0) return {};
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), size, bytes.data(), n, default_char, nullptr);
  return bytes;
}

std::wstring WideFromUtf8(std::string_view utf8) { return WideFromBytes(utf8, CP_UTF8); }
std::string Utf8FromWide(std::wstring_view wide) { return BytesFromWide(wide, CP_UTF8); }
std::string AnsiFromUtf8(std::string_view utf8) { return BytesFromWide(WideFromUtf8(utf8), CP_ACP); }
std::string Utf8FromAnsi(std::string_view ansi) { return Utf8FromWide(WideFromBytes(ansi, CP_ACP)); }

}  // namespace oruna
