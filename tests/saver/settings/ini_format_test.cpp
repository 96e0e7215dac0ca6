// The INI text format: what is found, and what a write changes (only the one
// value) and keeps (every other byte).
#include <gtest/gtest.h>

#include "ini_encoding.h"
#include "ini_format.h"

namespace oruna {
namespace {

std::optional<std::string> Find(std::string_view text, const std::string& section, const std::string& key) {
  return IniFindValue(text, IniBytesMatch(section), IniBytesMatch(key));
}

std::optional<std::string> Set(std::string_view text, const std::string& section, const std::string& key,
                               const std::string& value) {
  return IniSetValue(text, IniBytesMatch(section), IniBytesMatch(key), IniAssignment{section, key, value});
}

TEST(IniFind, NamesMatchWithoutRegardToCaseAndBlanks) {
  const std::string text = "[ SECTION ]\r\n  Kind =  2  \r\nname=a b\r\n";
  EXPECT_EQ(Find(text, "section", "kind"), "2");
  EXPECT_EQ(Find(text, "Section", "KIND"), "2");
  EXPECT_EQ(Find(text, "Section", "name"), "a b");  // inner blanks are part of the value
  EXPECT_EQ(Find(text, "Section", "Kin"), std::nullopt);
  EXPECT_EQ(Find(text, "Sect", "Kind"), std::nullopt);
}

TEST(IniFind, OnlyKeysOfTheWantedSectionCount) {
  const std::string text =
      "Kind=before any section\n"
      "[Other]\nKind=1\n"
      "[Section]\n; Kind=3 is a comment\nnot a key line\n[broken\nKind=4\n"
      "[Section]\nKind=5\nTrack=6\n";
  EXPECT_EQ(Find(text, "Section", "Kind"), "4");   // a "[" line without "]" is not a header
  EXPECT_EQ(Find(text, "Section", "Track"), "6");  // a repeated section is searched too
  EXPECT_EQ(Find(text, "Other", "Kind"), "1");
  EXPECT_EQ(Find("[Other]\nKind=1\n", "Section", "Kind"), std::nullopt);
}

TEST(IniFind, ValueFormsAndLineEndings) {
  EXPECT_EQ(Find("[s]\nk=\"quoted  \"\n", "s", "k"), "quoted  ");
  EXPECT_EQ(Find("[s]\nk='x'\n", "s", "k"), "x");
  EXPECT_EQ(Find("[s]\nk=\"x'\n", "s", "k"), "\"x'");  // unmatched quotes stay
  EXPECT_EQ(Find("[s]\nk=\n", "s", "k"), "");
  EXPECT_EQ(Find("[s]\nk=a=b\n", "s", "k"), "a=b");
  EXPECT_EQ(Find("[s]\r\nk=v\r\n", "s", "k"), "v");
  EXPECT_EQ(Find("[s]\nk=v", "s", "k"), "v");                    // no final line break
  EXPECT_EQ(Find("\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k"), "v");  // byte-order mark of an editor
}

TEST(IniFind, CarriageReturnsAloneEndLinesToo) {
  const std::string cr_only = "[Other]\rk=1\r[s]\rk=v\rnext=2\r";
  EXPECT_EQ(Find(cr_only, "s", "k"), "v");
  EXPECT_EQ(Find(cr_only, "s", "next"), "2");
  EXPECT_EQ(IniLineEnding(cr_only), "\r");
  EXPECT_EQ(Set(cr_only, "s", "new", "3"), "[Other]\rk=1\r[s]\rk=v\rnext=2\rnew=3\r");
  EXPECT_EQ(Set(cr_only, "t", "k", "3"), cr_only + "[t]\rk=3\r");
  EXPECT_EQ(Set(cr_only, "s", "k", "w"), "[Other]\rk=1\r[s]\rk=w\rnext=2\r");
}

TEST(IniSet, ChangesOnlyTheValueOfAnExistingKey) {
  const std::string text =
      "; settings\r\n[Other]\r\nKind=9\r\n\r\n[Section]\r\n  KIND = 1 \r\nTrack=0\r\n\r\n[Last]\r\nx=y";
  EXPECT_EQ(Set(text, "section", "Kind", " 2"),
            "; settings\r\n[Other]\r\nKind=9\r\n\r\n[Section]\r\n  KIND = 2\r\nTrack=0\r\n\r\n[Last]\r\nx=y");
}

TEST(IniSet, AddsAMissingKeyAtTheEndOfItsSection) {
  EXPECT_EQ(Set("[Section]\nA=1\n\n[Next]\nB=2\n", "Section", "K", "v"),
            "[Section]\nA=1\nK=v\n\n[Next]\nB=2\n");
  EXPECT_EQ(Set("[Section]\r\n", "Section", "K", "v"), "[Section]\r\nK=v\r\n");
  EXPECT_EQ(Set("[Section]\nA=1", "Section", "K", "v"), "[Section]\nA=1\nK=v");
  // The first of two same-named sections gets it.
  EXPECT_EQ(Set("[S]\nA=1\n[T]\n[S]\nB=2\n", "S", "K", "v"), "[S]\nA=1\nK=v\n[T]\n[S]\nB=2\n");
}

TEST(IniSet, CreatesTheSectionWithTheFilesLineEnding) {
  EXPECT_EQ(Set("", "Section", "K", "v"), "[Section]\r\nK=v\r\n");
  EXPECT_EQ(Set("[Other]\nA=1\n", "Section", "K", "v"), "[Other]\nA=1\n[Section]\nK=v\n");
  EXPECT_EQ(Set("[Other]\r\nA=1", "Section", "K", "v"), "[Other]\r\nA=1\r\n[Section]\r\nK=v\r\n");
}

TEST(IniSet, RefusesWhatWouldBreakTheFile) {
  const std::string text = "[S]\nK=1\n";
  EXPECT_EQ(Set(text, "S", "K", "a\nInjected=1"), std::nullopt);
  EXPECT_EQ(Set(text, "S", "K", "a\rb"), std::nullopt);
  EXPECT_EQ(Set(text, "S", "K", std::string("a\0b", 3)), std::nullopt);
  EXPECT_EQ(Set(text, "S", "K=x", "1"), std::nullopt);
  EXPECT_EQ(Set(text, "S]x", "K", "1"), std::nullopt);
  EXPECT_EQ(Set(text, "S", "[K", "1"), std::nullopt);
  EXPECT_EQ(Set(text, "S", "", "1"), std::nullopt);
  EXPECT_EQ(Set(text, "S", " K", "1"), std::nullopt);
}

TEST(IniSet, WhatIsWrittenIsReadBackAndNothingElseChanges) {
  const std::string texts[] = {"", "[S]\n", "k=outside\n[S]\nk=old\n", "[s]\r\nK = \"q\"\r\nother=1",
                               "[T]\nk=t\n[S]\nz=1\n\n\n", "garbage\n[S\n=\n[S]]\nk"};
  for (const std::string& text : texts) {
    const auto written = Set(text, "S", "k", "C:\\Music\\a b.mp3");
    ASSERT_TRUE(written) << text;
    EXPECT_EQ(Find(*written, "S", "k"), "C:\\Music\\a b.mp3") << text;
    EXPECT_EQ(Find(*written, "S", "other"), Find(text, "S", "other")) << text;
    EXPECT_EQ(Find(*written, "T", "k"), Find(text, "T", "k")) << text;
    EXPECT_EQ(Set(*written, "S", "k", "C:\\Music\\a b.mp3"), written) << text;  // a second write is a no-op
  }
}

// Bytes worked out by hand: "[s]" CR LF "k=" U+00E9 U+1F600 in each form.
TEST(IniEncoding, MarksTellTheEncodingAndTextComesBackByteForByte) {
  const std::string utf8 = "[s]\r\nk=\xC3\xA9\xF0\x9F\x98\x80";
  const std::string le("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE9\0\x3D\xD8\x00\xDE", 22);
  const std::string be("\xFE\xFF\0[\0s\0]\0\r\0\n\0k\0=\0\xE9\xD8\x3D\xDE\x00", 22);
  struct Case {
    std::string bytes;
    IniEncoding encoding;
    std::string text;
  };
  for (const Case& c : {Case{le, IniEncoding::Utf16Le, utf8}, Case{be, IniEncoding::Utf16Be, utf8},
                        Case{"\xEF\xBB\xBF" + utf8, IniEncoding::Utf8Mark, "\xEF\xBB\xBF" + utf8},
                        Case{"[s]\nk=\x8B\xE6", IniEncoding::CodePage, "[s]\nk=\x8B\xE6"}}) {
    const IniFileText decoded = DecodeIniFile(c.bytes);
    EXPECT_EQ(decoded.encoding, c.encoding);
    EXPECT_EQ(decoded.text, c.text);
    EXPECT_EQ(EncodeIniFile(decoded), c.bytes);
  }
  EXPECT_EQ(IniTextCharset(IniEncoding::Utf16Be, "CP932"), "UTF-8");
  EXPECT_EQ(IniTextCharset(IniEncoding::CodePage, "CP932"), "CP932");
}

TEST(IniEncoding, BrokenUtf16ReadsWithReplacementsAndTextUtf16CannotHoldIsRefused) {
  // A lone high surrogate, a lone low one, and an odd last byte.
  const IniFileText decoded = DecodeIniFile(std::string("\xFF\xFE" "a\0" "\x00\xD8" "b\0" "\x00\xDC" "c", 11));
  EXPECT_EQ(decoded.text, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
  for (const char* not_utf8 : {"\xFF", "\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_EQ(EncodeIniFile({IniEncoding::Utf16Le, std::string("x=") + not_utf8}), std::nullopt) << not_utf8;
  // Where the bytes are the text, any bytes are kept.
  EXPECT_EQ(EncodeIniFile({IniEncoding::Utf8Mark, "\xEF\xBB\xBFx=\xFF"}), "\xEF\xBB\xBFx=\xFF");
}

}  // namespace
}  // namespace oruna
