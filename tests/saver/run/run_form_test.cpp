// The run form's logic on a fake clock: texture writes, music calls by kind
// and file ending, the renderer watch with a slow start, and the end.
#include <gtest/gtest.h>

#include "fake_saver_platform.h"
#include "run_form.h"
#include "settings_values.h"
#include "texture_files.h"

namespace oruna {
namespace {

using Log = std::vector<std::string>;

class RunFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BGM_Kind = 0;
    BGM_File.clear();
  }

  // Loads the form; the log then starts after the four texture writes.
  void Load(const std::string& argument_text = "/s") {
    form_ = std::make_unique<RunForm>(platform_, music_, argument_text);
    form_->Form_Load();
  }
  // Log entries after the four writes (which Form_Load always makes first).
  Log AfterWrites() const {
    Log calls = platform_.Calls();
    return Log(calls.begin() + kTextureCount, calls.end());
  }
  // The renderer shows its window, then closes it after `run_ms`.
  void RendererRunsFor(int64_t run_ms) {
    platform_.windows.insert(kRendererTitle);
    platform_.Advance(run_ms);
    platform_.windows.clear();
  }

  test::FakeSaverPlatform platform_;
  test::RecordingMusic music_{platform_.log};
  std::unique_ptr<RunForm> form_;
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

TEST_F(RunFormTest, WritesTheFourBitmapsBeforeAnythingElse) {
  Load();
  const Log calls = platform_.Calls();
  ASSERT_GE(calls.size(), 4u);
  const int sizes[] = {128, 256, 64, 64};
  for (int i = 1; i <= kTextureCount; ++i) {
    const std::string path = platform_.TextureFilePath(i);
    EXPECT_EQ(calls[i - 1], "write " + path);
    const std::vector<uint8_t>& bmp = platform_.files[path];
    ASSERT_GE(bmp.size(), 54u) << path;
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(Le32(bmp, 18), static_cast<uint32_t>(sizes[i - 1]));
    EXPECT_EQ(Le32(bmp, 22), static_cast<uint32_t>(sizes[i - 1]));
  }
}

struct MusicCase {
  int16_t kind;
  std::string file;
  Log load;  // after the writes
  Log end;   // Form_QueryUnload, mode "S"
  bool timer1, timer2;
};

class RunFormMusicTest : public RunFormTest, public ::testing::WithParamInterface<MusicCase> {};

TEST_P(RunFormMusicTest, StartsAndStopsTheMusicByKindAndFileEnding) {
  const MusicCase& c = GetParam();
  BGM_Kind = c.kind;
  BGM_File = c.file;
  Load();
  EXPECT_EQ(AfterWrites(), c.load);
  EXPECT_EQ(form_->Timer1Enabled(), c.timer1);
  EXPECT_EQ(form_->Timer2Enabled(), c.timer2);
  EXPECT_TRUE(form_->Timer3Enabled());

  const size_t mark = platform_.log.size();
  form_->Form_QueryUnload();
  EXPECT_EQ(platform_.Calls(mark), c.end);
}

const std::string kStart = "start /opt/oruna/Oruna.dll";

INSTANTIATE_TEST_SUITE_P(
    Kinds, RunFormMusicTest,
    ::testing::Values(
        MusicCase{0, "", {kStart, "timer on 100"}, {"end renderer", "show cursor", "end"}, false, false},
        MusicCase{1, "",
                  {"BGM_CDOpen", "timer on 200", kStart, "timer on 100"},
                  {"end renderer", "timer off 200", "BGM_CDClose", "show cursor", "end"}, false, true},
        MusicCase{2, "/m/Song.Wav", {"BGM_WAVPlay", kStart, "timer on 100"},
                  {"end renderer", "BGM_WAVStop", "show cursor", "end"}, false, false},
        MusicCase{2, "/m/Song.mP3",
                  {"BGM_MP3Open", "timer on 1000", kStart, "timer on 100"},
                  {"end renderer", "timer off 1000", "BGM_MP3Close", "show cursor", "end"}, true, false},
        MusicCase{2, "/m/Song.wma", {kStart, "timer on 100"}, {"end renderer", "show cursor", "end"}, false, false},
        MusicCase{2, "/m/Song.wave", {kStart, "timer on 100"}, {"end renderer", "show cursor", "end"}, false, false},
        // A file path but kind 0: the file plays no part.
        MusicCase{0, "/m/Song.mp3", {kStart, "timer on 100"}, {"end renderer", "show cursor", "end"}, false, false}));

// In a settings tool's preview pane the form shows the scene the same way,
// for as long as the renderer's window lasts, but touches no music of any
// kind, neither at the start nor at the end.
TEST_F(RunFormTest, APreviewStartsTheRendererAndNoMusic) {
  for (const std::string file : {"", "/m/Song.mp3", "/m/Song.wav"}) {
    for (const int16_t kind : {0, 1, 2}) {
      test::FakeSaverPlatform platform;
      test::RecordingMusic music(platform.log);
      platform.host_window = HostWindowState::Usable;
      BGM_Kind = kind;
      BGM_File = file;
      RunForm form(platform, music, "/s", RunRole::SettingsPreview);
      form.Form_Load();
      platform.windows.insert(kRendererTitle);
      platform.Advance(5000);
      EXPECT_FALSE(form.Timer1Enabled() || form.Timer2Enabled()) << kind << file;
      platform.windows.clear();
      platform.Advance(100);
      EXPECT_TRUE(platform.ended);
      const Log calls = platform.Calls();
      EXPECT_EQ(Log(calls.begin() + kTextureCount, calls.end()),
                (Log{kStart, "timer on 100", "timer off 100", "end renderer", "end"}))
          << kind << " " << file;
    }
  }
}

TEST_F(RunFormTest, Mp3RepeatsEverySecondAndCdPollsEvery200ms) {
  BGM_Kind = 2;
  BGM_File = "/m/a.MP3";
  platform_.windows.insert(kRendererTitle);
  Load();
  platform_.Advance(3500);
  EXPECT_EQ(std::count(platform_.log.begin(), platform_.log.end(), "BGM_MP3Loop"), 3);

  test::FakeSaverPlatform cd_platform;
  test::RecordingMusic cd_music(cd_platform.log);
  BGM_Kind = 1;
  cd_platform.windows.insert(kRendererTitle);
  RunForm cd(cd_platform, cd_music, "/s");
  cd.Form_Load();
  cd_platform.Advance(1000);
  EXPECT_EQ(cd_music.polls, 5u);
}

TEST_F(RunFormTest, ACdPollThatFailsStopsPollingAndLeavesTheCdOpenAtTheEnd) {
  BGM_Kind = 1;
  music_.poll_results = {true, true, false};
  Load();
  RendererRunsFor(2000);
  EXPECT_EQ(music_.polls, 3u);  // no poll after the failed one
  EXPECT_FALSE(form_->Timer2Enabled());
  platform_.Advance(100);
  ASSERT_TRUE(platform_.ended);
  EXPECT_EQ(std::count(platform_.log.begin(), platform_.log.end(), "BGM_CDClose"), 0);
}

TEST_F(RunFormTest, EndsWithinOneTickOfTheRendererWindowClosing) {
  BGM_Kind = 2;
  BGM_File = "/m/a.wav";
  Load();
  RendererRunsFor(5000);
  EXPECT_FALSE(platform_.ended);
  const size_t mark = platform_.log.size();
  platform_.Advance(100);
  EXPECT_TRUE(platform_.ended);
  EXPECT_EQ(platform_.Calls(mark), (Log{"timer off 100", "end renderer", "BGM_WAVStop", "show cursor", "end"}));
}

TEST_F(RunFormTest, WaitsForASlowRendererWhileItsProcessRunsUpToTheStartDeadline) {
  Load();
  // No window yet: the renderer is still changing the display mode.
  platform_.Advance(kRendererStartDeadlineMs - 100);
  EXPECT_FALSE(platform_.ended);
  RendererRunsFor(30000);  // once seen, the window has no deadline
  EXPECT_FALSE(platform_.ended);
  platform_.Advance(100);
  EXPECT_TRUE(platform_.ended);
}

TEST_F(RunFormTest, ARendererThatNeverShowsItsWindowIsEndedAtTheStartDeadline) {
  BGM_Kind = 2;
  BGM_File = "/m/a.wav";
  Load();
  platform_.Advance(kRendererStartDeadlineMs - 1);
  EXPECT_FALSE(platform_.ended);
  const size_t mark = platform_.log.size();
  platform_.Advance(1);
  ASSERT_TRUE(platform_.ended);
  EXPECT_EQ(platform_.program_state, ProgramState::Exited);
  EXPECT_EQ(platform_.Calls(mark), (Log{"timer off 100", "end renderer", "BGM_WAVStop", "show cursor", "end"}));
}

TEST_F(RunFormTest, EndsWhenTheRendererWindowIsGoneEvenIfItsProcessLingers) {
  Load();
  RendererRunsFor(500);
  ASSERT_EQ(platform_.program_state, ProgramState::Running);
  platform_.Advance(100);
  EXPECT_TRUE(platform_.ended);
}

// The end of the renderer's process ends the run at once, between watch
// ticks: while it was still starting, and while its window is still listed.
TEST_F(RunFormTest, EndsAtOnceWhenTheRendererProcessEnds) {
  for (const bool window_listed : {false, true}) {
    test::FakeSaverPlatform platform;
    test::RecordingMusic music(platform.log);
    BGM_Kind = 2;
    BGM_File = "/m/a.wav";
    RunForm form(platform, music, "/s");
    form.Form_Load();
    if (window_listed) platform.windows.insert(kRendererTitle);
    platform.Advance(450);
    const size_t mark = platform.log.size();
    platform.ProgramExits();
    EXPECT_TRUE(platform.ended) << window_listed;
    EXPECT_EQ(platform.now_ms, 450);
    EXPECT_EQ(platform.Calls(mark), (Log{"timer off 100", "end renderer", "BGM_WAVStop", "show cursor", "end"}));
  }
}

TEST_F(RunFormTest, EndsAtTheFirstTickWhenTheRendererCannotBeStarted) {
  BGM_Kind = 2;
  BGM_File = "/m/a.mp3";
  platform_.start_fails = true;
  Load();
  platform_.Advance(99);
  EXPECT_FALSE(platform_.ended);
  platform_.Advance(1);
  EXPECT_TRUE(platform_.ended);
  // The music was started before the renderer and is closed again.
  EXPECT_EQ(AfterWrites(), (Log{"BGM_MP3Open", "timer on 1000", kStart, "timer on 100", "timer off 100",
                                "end renderer", "timer off 1000", "BGM_MP3Close", "show cursor", "end"}));
}

TEST_F(RunFormTest, ARefusedTextureFolderGetsNoFilesAndNoRendererAndTheRunEndsAtTheFirstTick) {
  BGM_Kind = 2;
  BGM_File = "/m/a.mp3";
  platform_.texture_dir_trusted = false;
  Load();
  platform_.Advance(100);
  EXPECT_TRUE(platform_.ended);
  EXPECT_TRUE(platform_.files.empty());
  EXPECT_EQ(platform_.Calls(), (Log{"timer on 100", "timer off 100", "end renderer", "show cursor", "end"}));
}

// Only a run that hid the cursor (mode "S" outside a host's window) shows it.
TEST_F(RunFormTest, TheCursorIsShownAgainOnlyInModeSOutsideAHostWindow) {
  for (const HostWindowState host : {HostWindowState::Absent, HostWindowState::Usable}) {
    for (const std::string args : {"", "/s", "-S"}) {
      test::FakeSaverPlatform platform;
      test::RecordingMusic music(platform.log);
      platform.host_window = host;
      platform.start_fails = true;  // ends at the first tick
      RunForm form(platform, music, args);
      form.Form_Load();
      platform.Advance(100);
      ASSERT_TRUE(platform.ended);
      const bool hid = !args.empty() && host == HostWindowState::Absent;
      EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "show cursor"), hid ? 1 : 0)
          << "'" << args << "'";
    }
  }
}

// The session or a screen-saver host ending the saver ends the renderer too.
TEST_F(RunFormTest, AnUnloadRequestFromOutsideEndsTheRendererFirst) {
  BGM_Kind = 1;
  Load();
  platform_.windows.insert(kRendererTitle);
  platform_.Advance(1000);
  const size_t mark = platform_.log.size();
  form_->Form_QueryUnload();
  EXPECT_EQ(platform_.Calls(mark), (Log{"end renderer", "timer off 200", "BGM_CDClose", "show cursor", "end"}));
  EXPECT_EQ(platform_.program_state, ProgramState::Exited);
}

}  // namespace
}  // namespace oruna
