// The screen-saver host's switches: "/s" run, "/c" or "/c:<window>" settings,
// "/p <window>" preview.
#pragma once
#include <cstdint>
#include <string>

namespace oruna {

// The second character of the argument text, upper-cased; "" when shorter.
std::string ModeLetter(const std::string& argument_text);

// The decimal number prefix from the fourth character on, blanks skipped,
// rounded; 0 when there is none.
int64_t PreviewParentHandle(const std::string& argument_text);

// The window of the host's settings that "/c:<window>" names, read the same
// way; 0 when there is none.
int64_t SettingsOwnerHandle(const std::string& argument_text);

}  // namespace oruna
