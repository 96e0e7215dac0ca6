// The encodings a Windows editor saves an INI file in, told apart by the
// byte-order mark as the Windows profile functions tell them: none (the
// ANSI code page), UTF-8, UTF-16 little- and big-endian. A UTF-16 file is
// worked on as UTF-8 text and written back as UTF-16 with its mark, so that
// the INI format's byte rules serve every encoding.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace oruna {

enum class IniEncoding { CodePage, Utf8Mark, Utf16Le, Utf16Be };

struct IniFileText {
  IniEncoding encoding = IniEncoding::CodePage;
  // The file's own bytes for CodePage and Utf8Mark (the mark included); the
  // text after the mark as UTF-8 for UTF-16, with U+FFFD for a broken
  // character and an odd last byte left out.
  std::string text;
};

IniFileText DecodeIniFile(std::string_view bytes);

// The file's bytes for `file.text`; nullopt when the text cannot be stored in
// the file's encoding (bytes that are not UTF-8, for a UTF-16 file).
std::optional<std::string> EncodeIniFile(const IniFileText& file);

// The charset the text of a file in `encoding` is held in: `code_page` for a
// file without a mark, else UTF-8.
std::string IniTextCharset(IniEncoding encoding, const std::string& code_page);

}  // namespace oruna
