// What the settings dialog "<Oruna>" decides, free of any window system: the
// kind of music and the controls it enables, the track text and how it is
// saved, the chosen file and folder, the file chooser's pattern, the
// dialog's placement, its background shade and the tiling of its panel.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings_file.h"  // WriteOutcome

namespace oruna {

// The three kinds offered, by selection-box index.
inline constexpr int kKindNone = 0, kKindCd = 1, kKindFile = 2, kKindCount = 3;

// The two lines at the bottom of the dialog: the credit and version, and the
// web page that the link label shows and opens.
inline constexpr const char* kCreditText = "Oruna 1.0  © Oruna Project";
inline constexpr const char* kLinkText = "https://oruna.example/";

// The one sentence shown when "設定" could not write the settings file,
// with the system's reason in it; the dialog then stays open.
std::string SaveFailedMessage(const std::string& reason);

// The file chooser's one filter.
inline constexpr const char* kMusicFilterName = "BGMﾌｧｲﾙ (MP3 WAV)";
inline constexpr const char* kMusicFilterPattern = "*.MP3;*.WAV";

// Which dependent controls a kind enables: the track box for the audio CD,
// the file button for a music file, nothing for any other kind (also one
// from a hand-edited settings file).
struct KindControls {
  bool repeat = false;       // BGM_Repeat
  bool file_button = false;  // Cmd_File
};
KindControls ControlsForKind(int kind);

// A track number as the track box shows it ("##": no leading zeros, an
// empty text for 0).
std::string FormatTrack(int track);
// The track box's list: an empty entry, then "1" to "30".
std::vector<std::string> TrackListEntries();

// The track saved for a typed text: a number rounds to the nearest whole
// number, halves to the even one (7.6 gives 8, 2.5 gives 2); anything that
// is not a number gives 0, the whole disc. So does a number outside the
// 16-bit range, since no disc has such a track.
int16_t ParseTrackText(std::string_view text);

// True when `name` matches one of the ";"-separated wildcard patterns ("*"
// and "?"), ASCII letters without regard to case.
bool MatchesFilePatterns(std::string_view patterns, std::string_view name);

// Top-left corner of the dialog on the screen: centred horizontally, with
// one third of the free height above it (quotients truncated toward zero).
struct DialogPlacement {
  int left = 0, top = 0;
};
DialogPlacement PlaceDialog(int screen_width, int screen_height, int dialog_width, int dialog_height);

// A rectangle on the screen, right and bottom exclusive.
struct ScreenBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Top-left corner of a dialog that belongs to a window of the host's
// settings: centred over that window, and moved as little as needed to lie
// inside `work_area` (the work area of that window's monitor); a dialog
// larger than the work area keeps its top-left corner in it.
DialogPlacement PlaceOverOwner(const ScreenBox& owner, const ScreenBox& work_area, int dialog_width,
                               int dialog_height);

// The grey level v of the background row y (0 to height): the row is drawn
// in red v, green v, blue v + 30.
int BackgroundShade(int y, int height);

// Where Pic_Tile copies the pattern strip: columns of copies stacked from
// the top, until a copy lies below the panel's bottom and the column lies
// beyond its right edge.
struct TilePosition {
  int x = 0, y = 0;
  friend bool operator==(const TilePosition&, const TilePosition&) = default;
};
std::vector<TilePosition> TilePositions(int panel_width, int panel_height, int strip_width, int strip_height);

// The music settings while the dialog is open. It works on the values the
// start-up loaded (BGM_Kind, BGM_Track, BGM_File, BGM_Dir by default);
// only Save makes a change permanent.
class SettingsDialogModel {
 public:
  SettingsDialogModel();  // on the program's settings values
  SettingsDialogModel(int16_t& kind, int16_t& track, std::string& file, std::string& dir);

  int16_t Kind() const { return kind_; }
  // The selection box showing the filled picture; -1 for a kind no box offers.
  int FilledBox() const;
  KindControls Controls() const { return ControlsForKind(kind_); }
  // A click on box or caption `index` (any mouse button).
  void SelectKind(int index);

  // The track box's text: starts as the loaded track, then as typed.
  const std::string& TrackText() const { return track_text_; }
  void SetTrackText(std::string text) { track_text_ = std::move(text); }

  const std::string& File() const { return file_; }
  const std::string& Folder() const { return dir_; }
  // A file picked in the chooser: it becomes the music file, and its folder
  // the chooser's next start. Neither its name nor its existence is checked.
  void ChooseFile(const std::string& path);

  // Writes "BGM区分", "BGMﾘﾋﾟｰﾄ" (the track taken from the track text) and
  // "BGMﾌｧｲﾙ", in that order, into section "Section" of `settings_file`, all
  // three or none; says whether the file now holds them and if not, why.
  WriteOutcome Save(const std::string& settings_file);

 private:
  int16_t& kind_;
  int16_t& track_;
  std::string& file_;
  std::string& dir_;
  std::string track_text_;
};

}  // namespace oruna
