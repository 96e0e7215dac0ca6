// Text at the Windows API boundary. The program holds its text as UTF-8; the
// wide ("W") functions take UTF-16, the ANSI ("A") functions the ANSI code
// page (932 on Japanese systems).
#pragma once
#include <string>
#include <string_view>

namespace oruna {

// Bytes of `code_page` to UTF-16 and back (MultiByteToWideChar with `flags`,
// WideCharToMultiByte). A character a non-UTF code page cannot hold becomes
// "?"; a conversion that fails as a whole gives an empty text.
std::wstring WideFromBytes(std::string_view bytes, unsigned code_page, unsigned long flags = 0);
std::string BytesFromWide(std::wstring_view wide, unsigned code_page);

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
std::string AnsiFromUtf8(std::string_view utf8);
std::string Utf8FromAnsi(std::string_view ansi);

}  // namespace oruna
