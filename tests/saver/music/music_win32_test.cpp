// The music player over the real media control interface of Windows (Wine's
// MCI with GStreamer, an ALSA null device as the sound card): an MP3 file in
// a folder with a Japanese name plays, ends, and the repeat starts it again
// from its beginning; a failing query answers in the "Error:<code>" form.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "bgm_player.h"
#include "settings_values.h"
#include "test_support.h"
#include "wine_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;

class WindowsMusic : public ::testing::Test {
 protected:
  void SetUp() override {
    BGM_UseBackends(nullptr, nullptr);
    BGM_ResetState();
    // The short tone, copied into a folder whose name needs code page 932.
    folder_ = dir_.path() + "\\音楽";
    ASSERT_TRUE(test::MakeFolder(folder_));
    ASSERT_TRUE(test::CopyInto(test::MediaFile("tone.mp3"), folder_ + "\\曲.mp3"));
  }
  void TearDown() override { BGM_MP3Close(); }

  test::TempDir dir_;
  std::string folder_;
};

TEST_F(WindowsMusic, Mp3PlaysEndsAndRestartsFromItsBeginning) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese locale (ANSI code page 932)";
  ASSERT_GT(PlatformSoundPlayer().OutputDeviceCount(), 0u);
  BGM_File = folder_ + "\\曲.mp3";
  BGM_MP3Open();
  EXPECT_TRUE(BGM_MP3IsPlaying());
  // The repeat tick leaves a playing file alone.
  BGM_MP3Loop();
  EXPECT_TRUE(BGM_MP3IsPlaying());
  ASSERT_TRUE(test::WaitFor([] { return !BGM_MP3IsPlaying(); }, 10s)) << "the tone never ended";
  EXPECT_EQ(BGM_Query("status MP3Play mode"), "stopped");
  BGM_MP3Loop();  // "stop", then "play ... from 0"
  EXPECT_TRUE(BGM_MP3IsPlaying());
  const std::string position = BGM_Query("status MP3Play position");  // milliseconds
  ASSERT_TRUE(!position.empty() && std::isdigit(static_cast<unsigned char>(position[0]))) << position;
  EXPECT_LT(std::strtol(position.c_str(), nullptr, 10), 500) << position;
  BGM_MP3Close();
  EXPECT_EQ(BGM_Query("status MP3Play mode").substr(0, 6), "Error:");
}

TEST_F(WindowsMusic, FailuresAnswerWithTheirCode) {
  const std::string answer = BGM_Query("status NoSuchDevice mode");
  ASSERT_GT(answer.size(), 6u);
  EXPECT_EQ(answer.substr(0, 6), "Error:");
  for (char c : answer.substr(6)) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c))) << answer;
  // A missing file is not opened, so nothing plays.
  BGM_File = folder_ + "\\none.mp3";
  BGM_MP3Open();
  EXPECT_FALSE(BGM_MP3IsPlaying());
}

}  // namespace
}  // namespace oruna
