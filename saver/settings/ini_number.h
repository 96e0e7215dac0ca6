// The two numbers of the settings file: how they are written and read back.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace oruna {

// The decimal form written to the file: one blank before a number that is
// not negative, a minus sign before a negative one (2 -> " 2", -1 -> "-1").
std::string FormatIniNumber(int value);

// A value read back: the whole text (blanks around it allowed) must be a
// decimal number, with an optional sign, fraction and exponent; it is rounded
// down (2.7 -> 2, -0.5 -> -1) and must fit in 16 bits. nullopt otherwise,
// which leaves the setting as it was.
std::optional<int16_t> ParseIniNumber(std::string_view text);

// Applies one read value: empty (or all blank) text sets 0, a number sets it,
// anything else keeps the current value.
void ApplyIniNumber(std::string_view text, int16_t& setting);

}  // namespace oruna
