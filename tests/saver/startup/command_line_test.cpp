// The screen-saver switches as the host passes them.
#include <gtest/gtest.h>

#include "command_line.h"

namespace oruna {
namespace {

TEST(CommandLine, ModeLetterIsTheSecondCharacterUpperCased) {
  const struct {
    const char* text;
    const char* letter;
  } cases[] = {
      {"/s", "S"}, {"/S", "S"}, {"-s", "S"}, {"xs", "S"}, {"", ""}, {"S", ""}, {"/a 123", "A"},
      {"/c", "C"}, {"/c:5000", "C"}, {"/p 123", "P"}, {"/P", "P"}, {"/1", "1"}, {"/é", "é"},
      {"ée", "E"},  // characters, not bytes
      {"/\x01\xBB\xBB", "\x01"}, {"\xBB\xBBs", "\xBB"},  // stray bytes count one by one
  };
  for (const auto& c : cases) EXPECT_EQ(ModeLetter(c.text), c.letter) << '"' << c.text << '"';
}

TEST(CommandLine, PreviewParentHandleIsTheNumberFromTheFourthCharacter) {
  const struct {
    const char* text;
    int64_t handle;
  } cases[] = {
      {"/p 123", 123},
      {"/p   123", 123},         // blanks are skipped
      {"/p 1 2 3", 123},         // wherever they stand
      {"/p 12\t34\n5", 12345},
      {"/p1234", 234},           // written directly after the switch: the first digit is lost
      {"/p", 0},
      {"/p ", 0},
      {"/p x12", 0},             // no number
      {"/p 77abc", 77},          // stops at what cannot continue the number
      {"/p 12.5", 12},           // nearest, halves to even
      {"/p 13.5", 14},
      {"/p 12.6", 13},
      {"/p 1e3", 1000},
      {"/p 1e", 1},
      {"/p 1e+", 1},
      {"/p 1.2.3", 1},
      {"/p -5", -5},
      {"/p +7", 7},
      {"/p .5e1", 5},
      {"/p 2147483648", 2147483648LL},  // X window ids are unsigned 32-bit
      {"/p 4294967295", 4294967295LL},
      {"/p 4294967296", 0},      // no window can have it
      {"/p -2147483648", -2147483648LL},
      {"/p -2147483649", 0},
      {"/p 1e400", 0},
      {"/p 99999999999999999999999999", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(PreviewParentHandle(c.text), c.handle) << '"' << c.text << '"';
}

TEST(CommandLine, SettingsOwnerIsTheNumberAfterTheColon) {
  EXPECT_EQ(SettingsOwnerHandle("/c:5000"), 5000);
  EXPECT_EQ(SettingsOwnerHandle("/c:-2147483000"), -2147483000LL);
  EXPECT_EQ(SettingsOwnerHandle("/c"), 0);
  EXPECT_EQ(SettingsOwnerHandle("/c:"), 0);
}

}  // namespace
}  // namespace oruna
