// The command-string grammar: every string the player sends, keyword case,
// quoting, the error numbers of malformed commands, and positions.
#include <gtest/gtest.h>

#include "mci_command.h"
#include "mci_errors.h"

namespace oruna {
namespace {

MciRequest Parsed(const std::string& text) {
  MciRequest r;
  EXPECT_EQ(MCI_Parse(text, &r), 0u) << text;
  return r;
}

TEST(MciCommand, EveryCommandThePlayerSendsParses) {
  MciRequest r = Parsed("open \"/home/u/My Music/a.mp3\" type MPEGVideo Alias MP3Play");
  EXPECT_EQ(r.verb, MciVerb::kOpen);
  EXPECT_EQ(r.device, "/home/u/My Music/a.mp3");
  EXPECT_TRUE(r.device_quoted);
  EXPECT_EQ(r.type, "MPEGVideo");
  EXPECT_EQ(r.alias, "MP3Play");

  r = Parsed("open cdaudio");
  EXPECT_EQ(r.device, "cdaudio");
  EXPECT_FALSE(r.device_quoted);
  EXPECT_TRUE(r.type.empty() && r.alias.empty());

  EXPECT_EQ(Parsed("set cdaudio time format tmsf").time_format, "tmsf");
  EXPECT_EQ(Parsed("status cdaudio current track").item, MciStatusItem::kCurrentTrack);
  EXPECT_EQ(Parsed("status cdaudio number of tracks").item, MciStatusItem::kNumberOfTracks);
  EXPECT_EQ(Parsed("status MP3Play mode").item, MciStatusItem::kMode);
  r = Parsed("status cdaudio position track 12");
  EXPECT_EQ(r.item, MciStatusItem::kPositionTrack);
  EXPECT_EQ(r.track, 12u);

  r = Parsed("play cdaudio");
  EXPECT_EQ(r.verb, MciVerb::kPlay);
  EXPECT_FALSE(r.has_from || r.has_to);
  r = Parsed("play cdaudio from 03:00:00:00 to 04");
  EXPECT_TRUE(r.has_from && r.has_to);
  EXPECT_EQ(r.from, "03:00:00:00");
  EXPECT_EQ(r.to, "04");
  EXPECT_EQ(Parsed("play MP3Play from 0").from, "0");
  EXPECT_EQ(Parsed("stop MP3Play").verb, MciVerb::kStop);
  EXPECT_EQ(Parsed("close cdaudio").verb, MciVerb::kClose);
}

TEST(MciCommand, KeywordsIgnoreCaseAndExtraBlanks) {
  const MciRequest r = Parsed("  OPEN   \"a b\"\tALIAS x  TYPE mpegvideo ");
  EXPECT_EQ(r.device, "a b");
  EXPECT_EQ(r.alias, "x");
  EXPECT_EQ(r.type, "mpegvideo");
  EXPECT_EQ(Parsed("Status CDAudio Position Track 2").item, MciStatusItem::kPositionTrack);
  EXPECT_EQ(Parsed("SET cdaudio TIME FORMAT TMSF").time_format, "tmsf");
}

TEST(MciCommand, MalformedCommandsAnswerTheServiceErrorNumbers) {
  const struct {
    std::string text;
    uint32_t error;
  } cases[] = {
      {"", kMciErrMissingCommandString},
      {"   ", kMciErrMissingCommandString},
      {"eject cdaudio", kMciErrUnrecognizedCommand},
      {"play", kMciErrMissingDeviceName},
      {"open \"/tmp/a.mp3 type MPEGVideo", kMciErrNoClosingQuote},
      {"open \"/tmp/a\"b.mp3\" type MPEGVideo Alias A", kMciErrExtraCharacters},
      {"open /tmp/a\"b type MPEGVideo", kMciErrExtraCharacters},
      {"open \"a\" type", kMciErrMissingParameter},
      {"open \"a\" type x type y", kMciErrDuplicateFlags},
      {"open \"a\" shareable", kMciErrUnrecognizedKeyword},
      {"play cdaudio from", kMciErrMissingParameter},
      {"play cdaudio wait", kMciErrUnrecognizedKeyword},
      {"status cdaudio", kMciErrMissingParameter},
      {"status cdaudio length", kMciErrUnrecognizedKeyword},
      {"status cdaudio position track", kMciErrMissingParameter},
      {"status cdaudio position track -1", kMciErrBadInteger},
      {"status cdaudio position track 99999999999", kMciErrBadInteger},
      {"set cdaudio time format", kMciErrMissingParameter},
      {"set cdaudio door open", kMciErrUnrecognizedKeyword},
      {"stop cdaudio now", kMciErrUnrecognizedKeyword},
  };
  for (const auto& c : cases) {
    MciRequest r;
    EXPECT_EQ(MCI_Parse(c.text, &r), c.error) << c.text;
  }
}

TEST(MciCommand, ACommandEndsAtItsFirstNul) {
  MciRequest r;
  EXPECT_EQ(MCI_Parse(std::string("stop cdaudio\0 extra", 19), &r), 0u);
  // A path cut short by a NUL loses its closing quote.
  EXPECT_EQ(MCI_Parse(std::string("open \"/tmp/a\0.mp3\" type MPEGVideo", 33), &r), kMciErrNoClosingQuote);
}

TEST(MciCommand, TmsfPositionsReadAndWriteBack) {
  Tmsf p;
  ASSERT_TRUE(MCI_ParseTmsf("03:01:02:74", &p));
  EXPECT_EQ(p.track, 3u);
  EXPECT_EQ(p.minutes, 1u);
  EXPECT_EQ(p.seconds, 2u);
  EXPECT_EQ(p.frames, 74u);
  EXPECT_EQ(MCI_FormatTmsf(p), "03:01:02:74");
  ASSERT_TRUE(MCI_ParseTmsf("7", &p));
  EXPECT_EQ(MCI_FormatTmsf(p), "07:00:00:00");
  ASSERT_TRUE(MCI_ParseTmsf("12:5", &p));
  EXPECT_EQ(MCI_FormatTmsf(p), "12:05:00:00");

  for (const char* bad : {"", "Error:282", "1:2:3:4:5", "256", "1::2", "1:", "0x1", "-1", "1:2:3:0004"})
    EXPECT_FALSE(MCI_ParseTmsf(bad, &p)) << bad;
}

TEST(MciCommand, UnsignedNumbersRejectSignsJunkAndOverflow) {
  uint32_t v = 0;
  EXPECT_TRUE(MCI_ParseUnsigned("4294967295", &v));
  EXPECT_EQ(v, 4294967295u);
  for (const char* bad : {"", "4294967296", "+1", "1.5", "1 "}) EXPECT_FALSE(MCI_ParseUnsigned(bad, &v)) << bad;
}

}  // namespace
}  // namespace oruna
