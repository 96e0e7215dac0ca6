// The music player on the Linux media layer, for real: SDL's disk audio
// driver records what is played, sox makes the files, and the test writes
// its own BIN/CUE disc image.
#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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

// Passes commands on to the platform's service and keeps what it answered.
class Recorder final : public MediaControl {
 public:
  struct Entry {
    std::string command;
    uint32_t result;
    std::string reply;
  };
  uint32_t SendString(const std::string& command, std::string* reply, size_t capacity) override {
    const uint32_t result = PlatformMediaControl().SendString(command, reply, capacity);
    log.push_back({command, result, reply ? *reply : ""});
    return result;
  }
  std::vector<Entry> log;
};

uint32_t Send(const std::string& command, std::string* reply = nullptr) {
  return PlatformMediaControl().SendString(command, reply, 512);
}

std::string Answer(const std::string& command) {
  std::string reply;
  const uint32_t result = Send(command, &reply);
  return result ? "Error:" + std::to_string(result) : reply;
}

class EmulatedMusic : public test::MusicPlayerTest {
 protected:
  EmulatedMusic() { control_ = &recorder; }
  void UseDisc(const std::vector<int>& sectors) {
    setenv("ORUNA_CD_IMAGE", test::WriteToneDisc(MusicDir(), sectors).c_str(), 1);
  }
  Recorder recorder;
};

TEST_F(EmulatedMusic, Mp3PlaysThenStopsAtItsEndAndTheLoopRestartsIt) {
  BGM_File = MusicDir() + "/tone.mp3";
  ASSERT_TRUE(test::MakeTone(BGM_File, 0.5, 440));
  size_t mark = test::DiskAudioSize();
  BGM_MP3Open();
  EXPECT_TRUE(BGM_MP3IsPlaying());
  EXPECT_TRUE(ToneSince(mark));
  EXPECT_TRUE(WaitUntil([] { return !BGM_MP3IsPlaying(); }, 3000ms));
  EXPECT_EQ(Answer("status MP3Play mode"), "stopped");
  EXPECT_TRUE(SilentFor(300));

  mark = test::DiskAudioSize();
  BGM_MP3Loop();
  EXPECT_TRUE(BGM_MP3IsPlaying());
  EXPECT_TRUE(ToneSince(mark));
  BGM_MP3Loop();  // playing: nothing is sent but the mode query
  EXPECT_EQ(recorder.log.back().command, "status MP3Play mode");

  BGM_MP3Close();
  EXPECT_EQ(Answer("status MP3Play mode"), "Error:263");
  test::SleepMs(200);
  EXPECT_TRUE(SilentFor(300));
}

TEST_F(EmulatedMusic, WavLoopsByItselfUntilStopped) {
  BGM_File = MusicDir() + "/tone.wav";
  ASSERT_TRUE(test::MakeTone(BGM_File, 0.3, 660));
  BGM_WAVPlay();
  test::SleepMs(1000);  // more than three times the file's length
  EXPECT_TRUE(ToneSince(test::DiskAudioSize()));
  BGM_WAVStop();
  test::SleepMs(200);
  EXPECT_TRUE(SilentFor(400));
  EXPECT_TRUE(recorder.log.empty());  // WAV never goes through media control
}

TEST_F(EmulatedMusic, CdImagePlaysTheWholeDiscAndPlaysItAgainWhenItStops) {
  UseDisc({30, 30, 30});
  BGM_CDOpen();
  EXPECT_EQ(BGM_Query("status cdaudio number of tracks"), "3");
  EXPECT_EQ(BGM_Query("status cdaudio mode"), "stopped");
  const size_t mark = test::DiskAudioSize();
  BGM_CDPoll();
  EXPECT_TRUE(CD_PollOn);
  EXPECT_EQ(recorder.log.back().command, "play cdaudio");
  EXPECT_EQ(recorder.log.back().result, 0u);
  EXPECT_EQ(Answer("status cdaudio mode"), "playing");
  EXPECT_TRUE(ToneSince(mark));

  // All three tracks are heard (track k peaks at 4000 * k) and the disc stops.
  EXPECT_TRUE(WaitUntil([] { return Answer("status cdaudio current track") == "3"; }, 3000ms));
  EXPECT_TRUE(WaitUntil([] { return Answer("status cdaudio mode") == "stopped"; }, 3000ms));
  EXPECT_GT(test::DiskAudioPeakSince(mark), 11000);
  EXPECT_EQ(Answer("status cdaudio current track"), "1");

  BGM_CDPoll();
  EXPECT_EQ(recorder.log.back().command, "play cdaudio");
  EXPECT_EQ(Answer("status cdaudio mode"), "playing");
  BGM_CDClose();
  EXPECT_EQ(Answer("status cdaudio mode"), "Error:263");
}

TEST_F(EmulatedMusic, RepeatTrackPollJumpsBackWhenTheNextTrackStarts) {
  UseDisc({40, 40, 40});
  BGM_Track = 2;
  BGM_CDOpen();
  // Polls at 50 ms; collects the current track each poll saw and whether it jumped.
  std::vector<std::pair<std::string, bool>> polls;
  int jumps_from_track_3 = 0;
  for (int i = 0; i < 80 && jumps_from_track_3 < 2; ++i) {
    const size_t before = recorder.log.size();
    BGM_CDPoll();
    ASSERT_TRUE(CD_PollOn);
    const std::string current = recorder.log[before].reply;
    const bool jumped = recorder.log.back().command == "play cdaudio from 02:00:00:00";
    if (jumped) {
      EXPECT_EQ(recorder.log.back().result, 0u);
    }
    if (jumped && current == "3") ++jumps_from_track_3;
    polls.push_back({current, jumped});
    test::SleepMs(50);
  }
  ASSERT_FALSE(polls.empty());
  EXPECT_EQ(polls[0], std::make_pair(std::string("1"), true));
  EXPECT_EQ(jumps_from_track_3, 2);
  for (size_t i = 1; i < polls.size(); ++i) {
    EXPECT_EQ(polls[i].second, polls[i].first != "2") << "poll " << i;  // plays exactly when off track 2
    if (polls[i - 1].second) {
      EXPECT_EQ(polls[i].first, "2") << "poll " << i;
    }
  }
  EXPECT_EQ(Answer("status cdaudio mode"), "playing");
}

TEST_F(EmulatedMusic, EmptyDriveEndsPollingAtTheFirstPoll) {
  setenv("ORUNA_CD_IMAGE", (MusicDir() + "/missing.cue").c_str(), 1);
  BGM_CDOpen();
  BGM_CDPoll();
  EXPECT_FALSE(CD_PollOn);
  ASSERT_EQ(recorder.log.size(), 3u);
  EXPECT_EQ(recorder.log[0].result, 0u);  // the drive opens; the disc is missing
  EXPECT_EQ(recorder.log[2].command, "status cdaudio current track");
  EXPECT_EQ(recorder.log[2].result, 276u);
  EXPECT_EQ(Answer("status cdaudio mode"), "not ready");
}

TEST_F(EmulatedMusic, TheServiceAnswersWithItsErrorNumbers) {
  UseDisc({20, 20, 20});
  EXPECT_EQ(Answer("status cdaudio mode"), "Error:263");  // not open
  EXPECT_EQ(Answer("eject cdaudio"), "Error:261");
  ASSERT_EQ(Send("open cdaudio"), 0u);
  EXPECT_EQ(Send("open cdaudio"), 265u);
  EXPECT_EQ(Send("set cdaudio time format msf"), 293u);
  EXPECT_EQ(Answer("status cdaudio position track 2"), "02:00:00:00");
  EXPECT_EQ(Answer("status cdaudio position track 4"), "Error:282");
  EXPECT_EQ(Answer("status cdaudio position track 0"), "Error:282");
  EXPECT_EQ(Send("play cdaudio from Error:282"), 270u);
  EXPECT_EQ(Send("play cdaudio from 05:00:00:00"), 282u);
  EXPECT_EQ(Send("play cdaudio from 02:00:00:00 to 02:00:00:00"), 282u);

  ASSERT_EQ(Send("play cdaudio from 02:00:00:10"), 0u);
  EXPECT_EQ(Answer("status cdaudio current track"), "2");
  EXPECT_EQ(Answer("status cdaudio position").substr(0, 3), "02:");
  std::string reply;
  EXPECT_EQ(PlatformMediaControl().SendString("status cdaudio number of tracks", &reply, 1), 0u);
  EXPECT_EQ(reply, "");  // room for the NUL only
  EXPECT_EQ(PlatformMediaControl().SendString("status cdaudio position track 3", &reply, 3), 0u);
  EXPECT_EQ(reply, "03");
  EXPECT_EQ(Send("stop cdaudio"), 0u);
  EXPECT_EQ(Answer("status cdaudio mode"), "stopped");
  EXPECT_EQ(Answer("status cdaudio current track"), "2");  // stop keeps the position
  EXPECT_EQ(Send("close cdaudio"), 0u);

  const std::string mp3 = MusicDir() + "/a.mp3";
  ASSERT_TRUE(test::MakeTone(mp3, 0.2, 440));
  EXPECT_EQ(Send("open \"" + mp3 + "\" Alias A"), 281u);
  EXPECT_EQ(Send("open \"" + mp3 + "\" type waveaudio Alias A"), 266u);
  ASSERT_EQ(Send("open \"" + mp3 + "\" type MPEGVideo Alias MP3Play"), 0u);
  EXPECT_EQ(Send("open \"" + mp3 + "\" type MPEGVideo Alias mp3play"), 289u);  // one alias at a time
  EXPECT_EQ(Send("open \"" + mp3 + "\" type MPEGVideo Alias Other"), 265u);
  EXPECT_EQ(Answer("status mp3play mode"), "stopped");
  EXPECT_EQ(Send("play MP3Play from 999999"), 282u);
  EXPECT_EQ(Send("close MP3Play"), 0u);
  EXPECT_EQ(Send("close MP3Play"), 263u);
}

TEST_F(EmulatedMusic, UnplayableFilesAreSilentAndNeverBlock) {
  const std::string missing = MusicDir() + "/none.mp3";
  const std::string garbage = MusicDir() + "/garbage.mp3";
  const std::string fifo = MusicDir() + "/fifo.mp3";
  {
    std::mt19937 random(7);
    std::ofstream out(garbage, std::ios::binary);
    for (int i = 0; i < 40000; ++i) out.put(static_cast<char>(random()));
  }
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  const auto start = std::chrono::steady_clock::now();
  for (const std::string& file : {missing, garbage, fifo, MusicDir()}) {
    recorder.log.clear();
    BGM_File = file;
    BGM_MP3Open();
    BGM_MP3Loop();
    BGM_MP3Close();
    if (file != garbage) {
      EXPECT_NE(recorder.log[0].result, 0u) << file;
    }
    if (recorder.log[0].result != 0) {
      EXPECT_EQ(recorder.log[1].command, "status MP3Play mode") << file;
    }
    BGM_File = file.substr(0, file.size() - 3) + "wav";
    BGM_WAVPlay();
    BGM_WAVStop();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2000ms);
  EXPECT_EQ(Send("open \"a\"b.mp3\" type MPEGVideo Alias MP3Play"), 305u);
}

// --- Run in a child process: a fresh process, its terminal output kept ----

// The child's part: the whole music life of a saver run, with and without
// an audio device. It fails through its exit code; what it prints is
// checked by the parent.
TEST(EmulatedMusicChild, QuietRun) {
  const char* mode = std::getenv("ORUNA_MUSIC_CHILD");
  if (!mode) GTEST_SKIP() << "run by EmulatedMusicProcess";
  const bool device = std::string(mode) == "device";
  const std::string dir = std::getenv("ORUNA_MUSIC_CHILD_DIR");

  // Music that cannot play does not touch the audio system.
  setenv("ORUNA_CD_IMAGE", (dir + "/missing.cue").c_str(), 1);
  BGM_CDOpen();
  BGM_CDPoll();
  EXPECT_FALSE(CD_PollOn);
  BGM_CDClose();
  BGM_File = dir + "/missing.mp3";
  BGM_MP3Open();
  BGM_MP3Loop();
  BGM_MP3Close();
  EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

  EXPECT_EQ(PlatformSoundPlayer().OutputDeviceCount(), device ? 1u : 0u);
  BGM_File = dir + "/tone.wav";
  BGM_WAVPlay();
  BGM_WAVStop();
  BGM_File = dir + "/tone.mp3";
  BGM_MP3Open();
  EXPECT_EQ(BGM_MP3IsPlaying(), device);
  BGM_MP3Close();
  setenv("ORUNA_CD_IMAGE", (dir + "/disc.cue").c_str(), 1);
  BGM_CDOpen();
  BGM_CDPoll();
  EXPECT_TRUE(CD_PollOn);
  EXPECT_EQ(BGM_Query("status cdaudio mode"), device ? "playing" : "stopped");
  BGM_CDClose();

  struct sigaction term {};
  sigaction(SIGTERM, nullptr, &term);
  EXPECT_EQ(term.sa_handler, SIG_DFL);  // SIGTERM still ends the saver
}

TEST(EmulatedMusicProcess, NothingIsPrintedWithOrWithoutAnAudioDevice) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeTone(dir.path() + "/tone.wav", 0.2, 440));
  ASSERT_TRUE(test::MakeTone(dir.path() + "/tone.mp3", 0.2, 440));
  test::WriteToneDisc(dir.path(), {20, 20});
  const std::map<std::string, std::string> no_device = {
      {"ORUNA_MUSIC_CHILD", "none"}, {"SDL_AUDIODRIVER", "alsa"}, {"ALSA_CARD", "oruna_no_such_card"}};
  const std::map<std::string, std::string> disk = {{"ORUNA_MUSIC_CHILD", "device"},
                                                   {"SDL_AUDIODRIVER", "disk"},
                                                   {"SDL_DISKAUDIOFILE", dir.path() + "/out.raw"}};
  for (auto env : {no_device, disk}) {
    env["ORUNA_MUSIC_CHILD_DIR"] = dir.path();
    env["ORUNA_MUSIC_LOG"] = "";
    test::ExpectQuietRunOfSelf("EmulatedMusicChild.QuietRun", env, dir.path(), env["ORUNA_MUSIC_CHILD"]);
  }
}

}  // namespace
}  // namespace oruna
