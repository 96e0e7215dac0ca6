// Conversion between the UTF-8 text the program holds and the charset of a
// file (the "code page" of the settings file).
#pragma once
#include <string>
#include <string_view>

namespace oruna {

// The charset of the settings file: the one of the user's locale (LC_CTYPE
// from the environment, normally UTF-8). A plain-ASCII locale ("C", "POSIX")
// cannot hold the Japanese key names, so UTF-8 is used there instead.
const std::string& SettingsFileCharset();

// True when `charset` names UTF-8 ("UTF-8", "utf8", any case).
bool IsUtf8Charset(std::string_view charset);

// UTF-8 to `charset`; a character the charset cannot hold becomes "?", as the
// Windows conversion to the ANSI code page does.
std::string ToCodePage(std::string_view utf8, const std::string& charset);

// `charset` to UTF-8; a byte that is not valid there becomes U+FFFD and an
// incomplete character at the end (a value cut in the middle of a character)
// is left out. From UTF-8 the bytes pass unchanged, so that any file name
// read from the file names the same file again.
std::string FromCodePage(std::string_view bytes, const std::string& charset);

}  // namespace oruna
