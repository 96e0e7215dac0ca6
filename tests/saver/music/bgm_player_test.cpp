// The music player against a recording media-control fake and sound player:
// the exact strings, their order, the reply buffers, and how the answers
// steer the CD poll and the MP3 repeat.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "bgm_player.h"
#include "settings_values.h"

namespace oruna {
namespace {

struct Sent {
  std::string command;
  bool wants_reply;
  size_t capacity;
};

// Answers each command from a script (the last answer repeats; unscripted
// commands succeed with an empty reply) and records what was sent.
class RecordingMci final : public MediaControl {
 public:
  void Answer(const std::string& command, uint32_t code, const std::string& reply = "") {
    script_[command].push_back({code, reply});
  }
  uint32_t SendString(const std::string& command, std::string* reply, size_t capacity) override {
    sent.push_back({command, reply != nullptr, capacity});
    Reply answer{0, ""};
    auto it = script_.find(command);
    if (it != script_.end() && !it->second.empty()) {
      answer = it->second.front();
      if (it->second.size() > 1) it->second.pop_front();
    }
    if (reply) {
      // A failed command leaves junk that a careful caller never reads.
      const std::string text = answer.code == 0 ? answer.text : "playing junk";
      *reply = capacity ? text.substr(0, capacity - 1) : "";
    }
    return answer.code;
  }
  std::vector<std::string> Commands() const {
    std::vector<std::string> out;
    for (const Sent& s : sent) out.push_back(s.command);
    return out;
  }

  std::vector<Sent> sent;

 private:
  struct Reply {
    uint32_t code;
    std::string text;
  };
  std::map<std::string, std::deque<Reply>> script_;
};

class RecordingSound final : public SoundPlayer {
 public:
  void PlayLooping(const std::string& path) override { calls.push_back("loop " + path); }
  void Stop() override { calls.push_back("stop"); }
  unsigned OutputDeviceCount() override { return devices; }

  unsigned devices = 1;
  std::vector<std::string> calls;
};

using Strings = std::vector<std::string>;

class MusicPlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    BGM_ResetState();
    BGM_UseBackends(&mci, &sound);
    BGM_Kind = 0;
    BGM_Track = 0;
    BGM_File.clear();
  }
  void TearDown() override { BGM_UseBackends(nullptr, nullptr); }

  // A drive that answers the three poll queries.
  void Drive(const std::string& current, const std::string& mode) {
    mci.Answer("status cdaudio current track", 0, current);
    mci.Answer("status cdaudio number of tracks", 0, "12");
    mci.Answer("status cdaudio mode", 0, mode);
  }

  RecordingMci mci;
  RecordingSound sound;
};

const std::string kCurrent = "status cdaudio current track";
const std::string kCount = "status cdaudio number of tracks";
const std::string kMode = "status cdaudio mode";

// --- Sending, querying, play ranges ----------------------------------------

TEST_F(MusicPlayer, QueryReturnsTheReplyUpToItsNulAndKeepsItInMciReply) {
  mci.Answer("status x mode", 0, std::string("stopped\0garbage", 15));
  EXPECT_EQ(BGM_Query("status x mode"), "stopped");
  EXPECT_EQ(MCI_Reply, "stopped");
  ASSERT_EQ(mci.sent.size(), 1u);
  EXPECT_TRUE(mci.sent[0].wants_reply);
  EXPECT_EQ(mci.sent[0].capacity, 512u);
}

TEST_F(MusicPlayer, FailedQueryAnswersErrorAndTheDecimalCodeWithoutSpace) {
  mci.Answer("status x mode", 0, "playing");
  mci.Answer("status x mode", 263);
  BGM_Query("status x mode");
  EXPECT_EQ(BGM_Query("status x mode"), "Error:263");
  EXPECT_EQ(MCI_Reply, "playing");  // only successful replies land here
  EXPECT_EQ(BGM_SendCommand("status x mode"), 263u);
}

TEST_F(MusicPlayer, PlayRangeAddsFromAndToOnlyWhenGiven) {
  mci.Answer("play d from 1 to 2", 282);
  BGM_PlayRange("d", "", "");
  BGM_PlayRange("d", "1", "");
  BGM_PlayRange("d", "", "2");
  EXPECT_EQ(BGM_PlayRange("d", "1", "2"), 282u);
  EXPECT_EQ(mci.Commands(), (Strings{"play d", "play d from 1", "play d to 2", "play d from 1 to 2"}));
}

// --- Audio CD ---------------------------------------------------------------

TEST_F(MusicPlayer, CDOpenAndCloseSendTheirPairsWithoutReplyBuffers) {
  BGM_CDOpen();
  BGM_CDClose();
  EXPECT_EQ(mci.Commands(), (Strings{"open cdaudio", "set cdaudio time format tmsf", "stop cdaudio",
                                     "close cdaudio"}));
  for (const Sent& s : mci.sent) EXPECT_FALSE(s.wants_reply) << s.command;
}

TEST_F(MusicPlayer, WholeDiscPollRestartsOnlyAStoppedDrive) {
  for (const std::string& mode : Strings{"stopped", "playing", "paused", "seeking"}) {
    mci = RecordingMci();
    Drive("4", mode);
    BGM_CDPoll();
    EXPECT_TRUE(CD_PollOn);
    Strings expected{kCurrent, kCount, kMode};
    if (mode == "stopped") expected.push_back("play cdaudio");
    EXPECT_EQ(mci.Commands(), expected) << mode;
  }
  EXPECT_EQ(mci.sent[2].capacity, 255u);  // the CD mode buffer
}

TEST_F(MusicPlayer, RepeatTrackPollJumpsToTheTrackWhenElsewhereOrStopped) {
  BGM_Track = 3;
  const Strings jump{kCurrent, kCount, kMode, "status cdaudio position track 3",
                     "play cdaudio from 03:00:00:00"};
  struct Case {
    const char* current;
    const char* mode;
    bool jumps;
  } cases[] = {{"2", "playing", true}, {"4", "playing", true}, {"3", "stopped", true},
               {"3", "playing", false}, {"03", "paused", false}};
  for (const Case& c : cases) {
    mci = RecordingMci();
    Drive(c.current, c.mode);
    mci.Answer("status cdaudio position track 3", 0, "03:00:00:00");
    BGM_CDPoll();
    EXPECT_TRUE(CD_PollOn);
    EXPECT_EQ(mci.Commands(), c.jumps ? jump : Strings(jump.begin(), jump.begin() + 3))
        << c.current << " " << c.mode;
  }
}

TEST_F(MusicPlayer, EitherTrackQueryFailingEndsPollingAtOnce) {
  mci.Answer(kCurrent, 276);
  BGM_CDPoll();
  EXPECT_FALSE(CD_PollOn);
  EXPECT_EQ(mci.Commands(), Strings{kCurrent});

  mci = RecordingMci();
  mci.Answer(kCurrent, 0, "1");
  mci.Answer(kCount, 276);
  BGM_CDPoll();
  EXPECT_FALSE(CD_PollOn);
  EXPECT_EQ(mci.Commands(), (Strings{kCurrent, kCount}));

  // A reply that merely contains the letters counts as a failure too.
  mci = RecordingMci();
  mci.Answer(kCurrent, 0, "terror");
  BGM_CDPoll();
  EXPECT_FALSE(CD_PollOn);
}

TEST_F(MusicPlayer, FailedPositionQueryIsSentBackInThePlayCommand) {
  BGM_Track = 15;
  Drive("2", "playing");
  mci.Answer("status cdaudio position track 15", 282);
  BGM_CDPoll();
  EXPECT_TRUE(CD_PollOn);
  EXPECT_EQ(mci.Commands().back(), "play cdaudio from Error:282");
}

TEST_F(MusicPlayer, FailedModeQueryKeepsThePreviousModeText) {
  mci.Answer(kCurrent, 0, "1");
  mci.Answer(kMode, 0, "stopped");
  mci.Answer(kMode, 276);  // the fake leaves "playing junk" in the buffer
  BGM_CDPoll();
  BGM_CDPoll();
  EXPECT_EQ(mci.Commands().back(), "play cdaudio");

  BGM_ResetState();
  mci = RecordingMci();
  mci.Answer(kCurrent, 0, "1");
  mci.Answer(kMode, 0, "playing");
  mci.Answer(kMode, 276);
  BGM_CDPoll();
  BGM_CDPoll();
  EXPECT_EQ(mci.sent.size(), 6u);  // no play command in either poll
}

// --- MP3 --------------------------------------------------------------------

TEST_F(MusicPlayer, MP3OpenQuotesThePathAndPlaysOnlyWhenTheOpenSucceeded) {
  BGM_File = "/home/u/My Music/song.mp3";
  BGM_MP3Open();
  const std::string open = "open \"/home/u/My Music/song.mp3\" type MPEGVideo Alias MP3Play";
  EXPECT_EQ(mci.Commands(), (Strings{open, "play MP3Play"}));
  EXPECT_FALSE(mci.sent[0].wants_reply);

  mci = RecordingMci();
  mci.Answer(open, 275);
  BGM_MP3Open();
  EXPECT_EQ(mci.Commands(), Strings{open});
}

TEST_F(MusicPlayer, MP3PathThatCannotBeQuotedIsNotOpened) {
  BGM_File = "/tmp/a\" type waveaudio alias x \".mp3";
  BGM_MP3Open();
  EXPECT_TRUE(mci.sent.empty());
}

TEST_F(MusicPlayer, MP3IsPlayingOnlyWhenTheModeBeginsWithPlaying) {
  const struct {
    const char* mode;
    bool playing;
  } cases[] = {{"playing", true}, {"playing now", true}, {"Playing", false},
               {"paused", false}, {"stopped", false},    {"seeking", false}};
  for (const auto& c : cases) {
    mci = RecordingMci();
    mci.Answer("status MP3Play mode", 0, c.mode);
    EXPECT_EQ(BGM_MP3IsPlaying(), c.playing) << c.mode;
  }
  EXPECT_EQ(mci.sent.back().capacity, 30u);
}

TEST_F(MusicPlayer, MP3LoopRestartsFromZeroOnlyWhenNotPlaying) {
  mci.Answer("status MP3Play mode", 0, "playing");
  BGM_MP3Loop();
  EXPECT_EQ(mci.Commands(), Strings{"status MP3Play mode"});

  for (const uint32_t failure : {0u, 263u}) {  // stopped, or the query itself fails
    mci = RecordingMci();
    BGM_ResetState();
    mci.Answer("status MP3Play mode", failure, failure ? "" : "stopped");
    BGM_MP3Loop();
    EXPECT_EQ(mci.Commands(), (Strings{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
  }
}

// --- WAV --------------------------------------------------------------------

TEST_F(MusicPlayer, WAVLoopsOnlyWithAnOutputDeviceAndStopsThroughTheSoundPlayer) {
  BGM_File = "/m/rain.wav";
  BGM_WAVPlay();
  sound.devices = 0;
  BGM_WAVPlay();
  BGM_WAVStop();
  EXPECT_EQ(sound.calls, (Strings{"loop /m/rain.wav", "stop"}));
  EXPECT_TRUE(mci.sent.empty());
}

// --- The run form's start and end sequences ----------------------------------

// Calls the operations in the order the run form does: start, CD timer
// ticks (the timer stays enabled while CD_PollOn), end.
struct RunFormOrder {
  bool timer1 = false, timer2 = false;

  void Start() {
    if (BGM_Kind == 1) {
      BGM_CDOpen();
      timer2 = true;
    } else if (BGM_Kind == 2) {
      const std::string kind = MusicFileKind(BGM_File);
      if (kind == "WAV") BGM_WAVPlay();
      if (kind == "MP3") {
        BGM_MP3Open();
        timer1 = true;
      }
    }
  }
  void CdTick() {
    BGM_CDPoll();
    timer2 = CD_PollOn;
  }
  void End() {
    if (timer2) {
      timer2 = false;
      BGM_CDClose();
    }
    if (BGM_Kind == 2) {
      const std::string kind = MusicFileKind(BGM_File);
      if (kind == "WAV") BGM_WAVStop();
      if (kind == "MP3") {
        timer1 = false;
        BGM_MP3Close();
      }
    }
  }
};

TEST_F(MusicPlayer, SaverStartAndEndForEveryKindAndFileEnding) {
  struct Case {
    int16_t kind;
    std::string file;
    Strings mci;
    Strings sound;
    bool timer1, timer2;
  } cases[] = {
      {0, "/m/x.mp3", {}, {}, false, false},
      {1, "/m/x.mp3", {"open cdaudio", "set cdaudio time format tmsf", "stop cdaudio", "close cdaudio"},
       {}, false, true},
      {2, "/m/x.Wav", {}, {"loop /m/x.Wav", "stop"}, false, false},
      {2, "/m/x.mp3", {}, {}, true, false},
      {2, "/m/x.MP3", {}, {}, true, false},
      {2, "/m/x.wma", {}, {}, false, false},
      {2, "/m/x.wave", {}, {}, false, false},
      {2, "/m/x.ogg", {}, {}, false, false},
  };
  for (Case& c : cases) {
    mci = RecordingMci();
    sound = RecordingSound();
    BGM_Kind = c.kind;
    BGM_File = c.file;
    if (MusicFileKind(c.file) == "MP3" && c.kind == 2) {
      const std::string open = "open \"" + c.file + "\" type MPEGVideo Alias MP3Play";
      c.mci = {open, "play MP3Play", "stop MP3Play", "close MP3Play"};
    }
    RunFormOrder form;
    form.Start();
    EXPECT_EQ(form.timer1, c.timer1) << c.file;
    EXPECT_EQ(form.timer2, c.timer2) << c.file;
    form.End();
    EXPECT_EQ(mci.Commands(), c.mci) << c.kind << " " << c.file;
    EXPECT_EQ(sound.calls, c.sound) << c.kind << " " << c.file;
  }
}

TEST_F(MusicPlayer, EmptyDriveStopsPollingAtTheFirstTickAndNothingIsSentAtTheEnd) {
  BGM_Kind = 1;
  mci.Answer(kCurrent, 276);
  RunFormOrder form;
  form.Start();
  form.CdTick();
  EXPECT_FALSE(form.timer2);
  form.End();
  EXPECT_EQ(mci.Commands(), (Strings{"open cdaudio", "set cdaudio time format tmsf", kCurrent}));
}

TEST_F(MusicPlayer, FileKindIsTheLastThreeCharactersInAnyCase) {
  EXPECT_EQ(MusicFileKind("C:\\m\\a.wAv"), "WAV");
  EXPECT_EQ(MusicFileKind("/m/a.Mp3"), "MP3");
  EXPECT_EQ(MusicFileKind("mp3"), "MP3");
  EXPECT_EQ(MusicFileKind("/m/a.wave"), "");
  EXPECT_EQ(MusicFileKind("/m/amp3x"), "");
  EXPECT_EQ(MusicFileKind("p3"), "");
  EXPECT_EQ(MusicFileKind(""), "");
}

}  // namespace
}  // namespace oruna
