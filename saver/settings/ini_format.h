// The Windows INI text format as pure functions over the bytes of a file:
// "[section]" lines, "key=value" lines, anything else kept as it is. Lines
// end at CR LF, LF or a CR alone.
// Names are compared through a caller-given matcher, so that the file's
// charset decides what "the same name" means.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace oruna {

// Tells whether a section or key name found in the file (blanks around it
// removed, still in the file's bytes) is the name searched for.
using IniNameMatch = std::function<bool(std::string_view name_in_file)>;

// Equal after folding the ASCII letters A-Z to a-z; other bytes must be equal.
bool AsciiEqualNoCase(std::string_view a, std::string_view b);

// A matcher for names whose bytes can be compared directly (ASCII, UTF-8).
IniNameMatch IniBytesMatch(std::string name);

// The value of the first matching key in a matching section, in file order,
// with blanks around it removed and one pair of enclosing quotes (" or ')
// taken off; nullopt when the section or the key is missing.
std::optional<std::string> IniFindValue(std::string_view text, const IniNameMatch& section,
                                        const IniNameMatch& key);

// The names and the value of one write, in the file's bytes.
struct IniAssignment {
  std::string_view section;
  std::string_view key;
  std::string_view value;
};

// The text with one key set: the line of the first matching key (the one
// IniFindValue reads) gets the new value; otherwise a "key=value" line is
// added after the last line of the first matching section, or a new section
// is appended. Every other byte stays as it was; new lines use the file's
// own line ending. nullopt when the names or the value cannot be stored
// (line breaks or NUL anywhere, "=" in the key, "]" in the section, an
// empty name), so that a write can never break the file's structure.
std::optional<std::string> IniSetValue(std::string_view text, const IniNameMatch& section,
                                       const IniNameMatch& key, const IniAssignment& assignment);

// The line ending of the file's first line (CR LF, LF or CR); CR LF, as
// Windows writes it, for a text without any line break.
std::string_view IniLineEnding(std::string_view text);

}  // namespace oruna
