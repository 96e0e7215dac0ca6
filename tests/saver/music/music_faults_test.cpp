// Faults from outside while music plays on the Linux media layer: the disc
// image taken away in the middle of the play, and the sound device failing
// in the middle of a run (SDL's disk audio driver gives up when its file
// reaches the process's file-size limit, as a real driver does when its
// device goes away). The music must go quiet, every command must still get
// its answer, and closing must not hang.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bgm_player.h"
#include "music_fixtures.h"
#include "music_test_fixture.h"
#include "settings_values.h"
#include "test_support.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::MusicDir;
using test::SilentFor;
using test::ToneSince;
using test::WaitUntil;

// No sound is written at all over the next `ms` ms: the device is gone.
bool OutputStoppedFor(int ms) {
  const size_t mark = test::DiskAudioSize();
  test::SleepMs(ms);
  return test::DiskAudioSize() == mark;
}

class MusicFaults : public test::MusicPlayerTest {};

// The disc in the emulated drive is its image; deleting the image is taking
// the disc out. The player's poll then finds an empty drive and ends, the
// output goes on with silence, and a later open sees no disc.
TEST_F(MusicFaults, ADiscTakenOutMidPlayEndsThePollQuietly) {
  const std::string cue = test::WriteToneDisc(MusicDir(), {150, 150, 150});  // 2 s a track
  setenv("ORUNA_CD_IMAGE", cue.c_str(), 1);
  BGM_Track = 2;
  BGM_CDOpen();
  const size_t mark = test::DiskAudioSize();
  BGM_CDPoll();
  ASSERT_TRUE(CD_PollOn);
  ASSERT_TRUE(ToneSince(mark));
  ASSERT_EQ(BGM_Query("status cdaudio current track"), "2");

  ASSERT_EQ(std::remove(cue.c_str()), 0);
  ASSERT_EQ(std::remove((MusicDir() + "/disc.bin").c_str()), 0);
  BGM_CDPoll();
  EXPECT_FALSE(CD_PollOn);
  EXPECT_EQ(BGM_Query("status cdaudio mode"), "not ready");
  EXPECT_EQ(BGM_SendCommand("play cdaudio from 02:00:00:00"), 276u);  // device not ready
  test::SleepMs(100);  // what was already mixed plays out
  EXPECT_TRUE(SilentFor(500));
  BGM_CDClose();

  BGM_CDOpen();
  BGM_CDPoll();
  EXPECT_FALSE(CD_PollOn);
  BGM_CDClose();
}

// A disc that can no longer be read (the data file emptied under the cue
// sheet) plays silence: a read error never stops the output or the poll.
TEST_F(MusicFaults, AnUnreadableDiscPlaysSilence) {
  const std::string cue = test::WriteToneDisc(MusicDir(), {150, 150});
  setenv("ORUNA_CD_IMAGE", cue.c_str(), 1);
  BGM_CDOpen();
  const size_t mark = test::DiskAudioSize();
  BGM_CDPoll();
  ASSERT_TRUE(ToneSince(mark));
  ASSERT_EQ(truncate((MusicDir() + "/disc.bin").c_str(), 0), 0);
  test::SleepMs(2500);  // the two seconds read ahead play out
  EXPECT_TRUE(SilentFor(500));
  BGM_CDPoll();
  EXPECT_TRUE(CD_PollOn);
  BGM_CDClose();
}

// --- The sound device failing: run in a child process, whose audio output
// stays broken for the rest of its life ---------------------------------

// Lets the disk driver write `bytes` more and then fail, as a device that
// has gone away. SIGXFSZ is ignored, as the saver ignores it, so the write
// fails instead of ending the process.
void FailOutputAfter(size_t bytes) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{test::DiskAudioSize() + bytes, RLIM_INFINITY};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

TEST(MusicFaultsChild, DeviceLostMidPlay) {
  const char* kind = std::getenv("ORUNA_MUSIC_FAULT_CHILD");
  if (!kind) GTEST_SKIP() << "run by MusicFaultsProcess";
  MusicDir();
  const std::string dir = std::getenv("ORUNA_MUSIC_FAULT_DIR");
  BGM_Track = 2;
  size_t mark = test::DiskAudioSize();
  if (std::string(kind) == "mp3") {
    BGM_File = dir + "/tone.mp3";
    BGM_MP3Open();
  } else {
    setenv("ORUNA_CD_IMAGE", (dir + "/disc.cue").c_str(), 1);
    BGM_CDOpen();
    BGM_CDPoll();
  }
  ASSERT_TRUE(ToneSince(mark));

  FailOutputAfter(64 * 1024);
  EXPECT_TRUE(WaitUntil([] { return OutputStoppedFor(300); }, 5000ms));
  // The player carries on as if the music were playing: every command is
  // answered, the loops may restart music that nobody hears, and nothing
  // waits for an output that no longer takes samples.
  for (int tick = 0; tick < 20; ++tick) {
    BGM_MP3Loop();
    BGM_CDPoll();
    test::SleepMs(50);
  }
  mark = test::DiskAudioSize();
  BGM_File = dir + "/tone.wav";
  BGM_WAVPlay();
  BGM_WAVStop();
  BGM_File = dir + "/tone.mp3";
  BGM_MP3Close();
  BGM_MP3Open();
  BGM_MP3Close();
  BGM_CDClose();
  EXPECT_EQ(test::DiskAudioSize(), mark);
}

TEST(MusicFaultsProcess, ASoundDeviceLostMidPlayLeavesEveryCommandAnsweredAndNothingPrinted) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeTone(dir.path() + "/tone.mp3", 3, 440));
  ASSERT_TRUE(test::MakeTone(dir.path() + "/tone.wav", 0.5, 440));
  test::WriteToneDisc(dir.path(), {150, 150, 150});
  for (const std::string kind : {"mp3", "cd"}) {
    const std::map<std::string, std::string> env = {
        {"ORUNA_MUSIC_FAULT_CHILD", kind}, {"ORUNA_MUSIC_FAULT_DIR", dir.path()}, {"ORUNA_MUSIC_LOG", ""}};
    test::ExpectQuietRunOfSelf("MusicFaultsChild.*", env, dir.path(), kind);
  }
}

}  // namespace
}  // namespace oruna
