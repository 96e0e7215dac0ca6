// The settings dialog's model: the controls each kind enables, the track
// text and how it is saved, the saved file's exact bytes, the file chooser's
// pattern, placement, background and tiling; a save that fails leaves the
// file as it was and says why.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

#include "dialog_model.h"
#include "test_support.h"

namespace oruna {
namespace {

using test::ReadText;

struct Settings {
  int16_t kind = 0, track = 0;
  std::string file, dir;
  SettingsDialogModel Model() { return SettingsDialogModel(kind, track, file, dir); }
};

TEST(DialogKinds, EachKindEnablesItsOwnControlOnly) {
  EXPECT_FALSE(ControlsForKind(0).repeat);
  EXPECT_FALSE(ControlsForKind(0).file_button);
  EXPECT_TRUE(ControlsForKind(1).repeat);
  EXPECT_FALSE(ControlsForKind(1).file_button);
  EXPECT_FALSE(ControlsForKind(2).repeat);
  EXPECT_TRUE(ControlsForKind(2).file_button);
  for (int hand_edited : {7, -1, 3}) {
    EXPECT_FALSE(ControlsForKind(hand_edited).repeat) << hand_edited;
    EXPECT_FALSE(ControlsForKind(hand_edited).file_button) << hand_edited;
  }
}

TEST(DialogKinds, SelectingMovesTheFilledBox) {
  Settings s;
  s.kind = 7;  // from a hand-edited file: no box is filled
  SettingsDialogModel model = s.Model();
  EXPECT_EQ(model.FilledBox(), -1);
  model.SelectKind(1);
  EXPECT_EQ(s.kind, 1);  // at once, in memory
  EXPECT_EQ(model.FilledBox(), 1);
  EXPECT_TRUE(model.Controls().repeat);
  model.SelectKind(0);
  EXPECT_EQ(model.FilledBox(), 0);
  model.SelectKind(2);
  EXPECT_TRUE(model.Controls().file_button);
}

TEST(DialogTrack, ShownWithoutLeadingZerosAndEmptyForZero) {
  EXPECT_EQ(FormatTrack(0), "");
  EXPECT_EQ(FormatTrack(12), "12");
  EXPECT_EQ(FormatTrack(-3), "-3");
  const std::vector<std::string> list = TrackListEntries();
  ASSERT_EQ(list.size(), 31u);
  EXPECT_EQ(list.front(), "");
  EXPECT_EQ(list[1], "1");
  EXPECT_EQ(list.back(), "30");
  Settings s;
  s.track = 12;
  EXPECT_EQ(s.Model().TrackText(), "12");
}

TEST(DialogTrack, TypedTextRoundsHalfToEvenAndNonNumbersGiveZero) {
  const struct {
    const char* text;
    int16_t track;
  } cases[] = {{"7.6", 8},   {"2.5", 2},      {"3.5", 4},   {"45", 45},  {"abc", 0},    {"", 0},
               {" 12 ", 12}, {"+7", 7},       {"-3", -3},   {"1e1", 10}, {".5", 0},     {"1.2.3", 0},
               {"12abc", 0}, {"inf", 0},      {"nan", 0},   {"0x10", 0}, {"１２", 12},  {"-0.4", 0},
               {"32767.4", 32767}, {"-32768", -32768},
               // Outside the 16-bit range: no disc has such a track, so the whole disc.
               {"32767.5", 0}, {"40000", 0}, {"-99999", 0}, {"1e300", 0}, {"1e999", 0}};
  for (const auto& c : cases) EXPECT_EQ(ParseTrackText(c.text), c.track) << '"' << c.text << '"';
}

class DialogSave : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.path() + "/Oruna.ini"; }
  test::TempDir dir_;
};

TEST_F(DialogSave, WritesTheThreeKeysInOrderWithTheLeadingBlank) {
  Settings s;
  s.kind = 1;
  s.file = "/music/a.mp3";
  SettingsDialogModel model = s.Model();
  model.SetTrackText("7.6");
  model.Save(Path());
  EXPECT_EQ(ReadText(Path()), "[Section]\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 8\r\nBGMﾌｧｲﾙ=/music/a.mp3\r\n");
  EXPECT_EQ(s.track, 8);
}

TEST_F(DialogSave, UntouchedValuesAreWrittenBackAsTheyAre) {
  // A hand-edited kind, a negative track and no file are saved unchanged;
  // a track loaded as 0 shows empty and is saved as 0 again.
  Settings s;
  s.kind = 7;
  s.track = -2;
  s.Model().Save(Path());
  EXPECT_EQ(ReadText(Path()), "[Section]\r\nBGM区分= 7\r\nBGMﾘﾋﾟｰﾄ=-2\r\nBGMﾌｧｲﾙ=\r\n");
  Settings zero;
  zero.kind = 2;
  zero.Model().Save(Path());
  EXPECT_EQ(ReadText(Path()), "[Section]\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=\r\n");
}

TEST_F(DialogSave, NothingIsWrittenUntilSave) {
  Settings s;
  s.kind = 0;
  s.file = "/music/old.wav";
  SettingsDialogModel model = s.Model();
  model.SelectKind(1);
  model.SetTrackText("5");
  model.ChooseFile("/other/b.wav");
  EXPECT_FALSE(test::FileExists(Path()));
  // The kind 0 file stays chosen and is saved with the rest.
  model.SelectKind(0);
  model.Save(Path());
  EXPECT_EQ(ReadText(Path()), "[Section]\r\nBGM区分= 0\r\nBGMﾘﾋﾟｰﾄ= 5\r\nBGMﾌｧｲﾙ=/other/b.wav\r\n");
}

#ifndef _WIN32  // the saving cases run on Linux only
// The save runs in a child whose files may grow to `limit` bytes only (a
// full disk as the write sees it); returns the reason the child's save gave,
// or "saved" when it worked.
std::string SaveUnderFileSizeLimit(SettingsDialogModel& model, const std::string& path, rlim_t limit) {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(pipe_ends[0]);
    signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of killing
    rlimit small{limit, limit};
    setrlimit(RLIMIT_FSIZE, &small);
    const WriteOutcome outcome = model.Save(path);
    const std::string answer = outcome.ok ? "saved" : outcome.reason;
    const ssize_t written = write(pipe_ends[1], answer.data(), answer.size());
    _exit(written == static_cast<ssize_t>(answer.size()) ? 0 : 1);
  }
  close(pipe_ends[1]);
  std::string answer;
  char buffer[256];
  for (ssize_t n; (n = read(pipe_ends[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  close(pipe_ends[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? answer : "child failed";
}

TEST_F(DialogSave, AWriteFailingPartWayLeavesTheOldFileAndSaysWhy) {
  // 400 bytes of old settings; the new file may grow to 64 bytes only, so
  // its write stops part-way.
  const std::string before =
      "; " + std::string(360, 'x') + "\r\n[Section]\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 3\r\n";
  ASSERT_TRUE(test::WriteFileBytes(Path(), std::vector<uint8_t>(before.begin(), before.end())));
  Settings s;
  s.kind = 2;
  s.file = "/music/new.mp3";
  SettingsDialogModel model = s.Model();
  EXPECT_EQ(SaveUnderFileSizeLimit(model, Path(), 64), "File too large");
  EXPECT_EQ(ReadText(Path()), before);
  // No half-written file is left beside it.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path())) ++entries;
  EXPECT_EQ(entries, 1u);
  // Once there is room again, saving once more works.
  const WriteOutcome retry = model.Save(Path());
  EXPECT_TRUE(retry.ok);
  EXPECT_EQ(retry.reason, "");
  EXPECT_EQ(ReadText(Path()), "; " + std::string(360, 'x') +
                                  "\r\n[Section]\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=/music/new.mp3\r\n");
}

#endif

TEST_F(DialogSave, AFolderThatCannotHoldTheFileFailsTheSave) {
  // The settings folder's name is taken by a plain file.
  const std::string blocker = dir_.path() + "/blocker", file = blocker + "/Oruna.ini";
  ASSERT_TRUE(test::WriteFileBytes(blocker, {'x'}));
  Settings s;
  s.kind = 1;
  const WriteOutcome outcome = s.Model().Save(file);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.reason, "Not a directory");
  EXPECT_EQ(ReadText(blocker), "x");
}

TEST(DialogSaveMessage, OneSentenceWithTheSystemsReason) {
  EXPECT_EQ(SaveFailedMessage("No space left on device"), "設定を保存できませんでした（No space left on device）。");
  EXPECT_EQ(SaveFailedMessage(""), "設定を保存できませんでした。");
  // The reason's own full stop is dropped inside the brackets.
  EXPECT_EQ(SaveFailedMessage("パスが見つかりません。"), "設定を保存できませんでした（パスが見つかりません）。");
  EXPECT_EQ(SaveFailedMessage("Access is denied."), "設定を保存できませんでした（Access is denied）。");
}

TEST(DialogFile, ChosenFileBecomesTheFileAndItsFolderTheNextStart) {
  Settings s;
  s.dir = "/start";
  SettingsDialogModel model = s.Model();
  model.ChooseFile("/music/サウンド/曲.mp3");
  EXPECT_EQ(s.file, "/music/サウンド/曲.mp3");
  EXPECT_EQ(s.dir, "/music/サウンド");
  model.ChooseFile("/a.mp3");
  EXPECT_EQ(s.dir, "/");
}

TEST(DialogFile, FilterMatchesMp3AndWavWhateverTheCase) {
  for (const char* yes : {"song.mp3", "SONG.MP3", "a.Wav", ".mp3", "x.y.wav"})
    EXPECT_TRUE(MatchesFilePatterns(kMusicFilterPattern, yes)) << yes;
  for (const char* no : {"song.mp3.txt", "mp3", "song.ogg", "songmp3", "a.wave", ""})
    EXPECT_FALSE(MatchesFilePatterns(kMusicFilterPattern, no)) << no;
  EXPECT_TRUE(MatchesFilePatterns("a?c;*", "anything"));
  EXPECT_TRUE(MatchesFilePatterns("a?c", "AbC"));
}

TEST(DialogLayout, PlacedCentredWithAThirdOfTheFreeHeightAbove) {
  const DialogPlacement place = PlaceDialog(1024, 768, 496, 246);
  EXPECT_EQ(place.left, 264);
  EXPECT_EQ(place.top, 174);
  // Larger than the screen: quotients truncated toward zero.
  const DialogPlacement big = PlaceDialog(401, 200, 496, 246);
  EXPECT_EQ(big.left, -47);
  EXPECT_EQ(big.top, -15);
}

TEST(DialogLayout, AnOwnedDialogIsCentredOverItsOwnerInsideTheOwnersMonitor) {
  const ScreenBox work{0, 0, 1920, 1040};  // a 1920 x 1080 monitor above its taskbar
  // Room all around: the centres coincide.
  DialogPlacement place = PlaceOverOwner({700, 300, 1100, 700}, work, 500, 280);
  EXPECT_EQ(place.left, 650);
  EXPECT_EQ(place.top, 360);
  // An owner near an edge: the dialog moves in just enough.
  place = PlaceOverOwner({-100, 900, 200, 1100}, work, 500, 280);
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.top, 760);
  // On a monitor left of and above the primary one (negative coordinates).
  place = PlaceOverOwner({-1500, -800, -1000, -500}, {-1920, -1080, 0, -40}, 500, 280);
  EXPECT_EQ(place.left, -1500);
  EXPECT_EQ(place.top, -790);
  // Larger than the work area: its top-left corner stays inside.
  place = PlaceOverOwner({100, 100, 300, 300}, {0, 0, 400, 200}, 500, 280);
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.top, 0);
  // Far coordinates do not overflow.
  place = PlaceOverOwner({2147483000, 0, 2147483600, 100}, {2147482000, 0, 2147483640, 1000}, 500, 280);
  EXPECT_EQ(place.left, 2147483050);
}

TEST(DialogLayout, BackgroundIsDarkAtTheEdgesAndPaleInTheMiddle) {
  EXPECT_EQ(BackgroundShade(0, 246), 0);
  EXPECT_EQ(BackgroundShade(246, 246), 0);
  EXPECT_EQ(BackgroundShade(123, 246), 220);
  EXPECT_EQ(BackgroundShade(40, 246), 108);  // 107.57 rounded
  EXPECT_EQ(BackgroundShade(5, 0), 0);
}

TEST(DialogLayout, StripTilesThePanelFromTheTopLeft) {
  const std::vector<TilePosition> tiles = TilePositions(469, 165, 556, 20);
  ASSERT_EQ(tiles.size(), 20u);
  EXPECT_EQ(tiles.front(), (TilePosition{0, 0}));
  EXPECT_EQ(tiles[9], (TilePosition{0, 180}));  // one copy below the bottom ends a column
  EXPECT_EQ(tiles[10], (TilePosition{556, 0}));
  EXPECT_EQ(tiles.back(), (TilePosition{556, 180}));
  EXPECT_TRUE(TilePositions(100, 100, 0, 20).empty());
}

}  // namespace
}  // namespace oruna
