#include "dialog_model.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "settings_file.h"
#include "settings_values.h"

namespace oruna {
namespace {

constexpr int kTrackListLast = 30;

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Typed with a Japanese input method, digits and signs often come full
// width ("１２"); they count as the plain characters.
std::string NarrowDigits(std::string_view text) {
  static const struct {
    std::string_view wide;
    char narrow;
  } kWide[] = {{"０", '0'}, {"１", '1'}, {"２", '2'}, {"３", '3'}, {"４", '4'}, {"５", '5'}, {"６", '6'},
               {"７", '7'}, {"８", '8'}, {"９", '9'}, {"．", '.'}, {"＋", '+'}, {"－", '-'}, {"　", ' '}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& w : kWide) {
      if (text.substr(i, w.wide.size()) == w.wide) {
        out += w.narrow;
        i += w.wide.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

// A decimal number, blanks around it allowed: sign, digits with an
// optional fraction, optional exponent.
std::optional<double> ParseDecimal(std::string_view text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return std::nullopt;
  text = text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
  size_t i = 0;
  auto digits = [&] {
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  std::string number;
  if (text[i] == '+' || text[i] == '-') {
    if (text[i] == '-') number.push_back('-');
    ++i;
  }
  const size_t mantissa_start = i;
  size_t count = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    count += digits();
  }
  if (count == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  number += text.substr(mantissa_start);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return value;
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::string SaveFailedMessage(const std::string& reason) {
  // The system's text may end a sentence of its own; inside the brackets
  // its full stop would stand next to the sentence's own.
  std::string_view cause = reason;
  for (std::string_view stop : {"。", "."}) {
    if (cause.size() >= stop.size() && cause.substr(cause.size() - stop.size()) == stop)
      cause.remove_suffix(stop.size());
  }
  if (cause.empty()) return "設定を保存できませんでした。";
  return "設定を保存できませんでした（" + std::string(cause) + "）。";
}

KindControls ControlsForKind(int kind) {
  return KindControls{kind == kKindCd, kind == kKindFile};
}

std::string FormatTrack(int track) { return track == 0 ? std::string() : std::to_string(track); }

std::vector<std::string> TrackListEntries() {
  std::vector<std::string> entries;
  for (int track = 0; track <= kTrackListLast; ++track) entries.push_back(FormatTrack(track));
  return entries;
}

int16_t ParseTrackText(std::string_view text) {
  const std::optional<double> number = ParseDecimal(NarrowDigits(text));
  if (!number) return 0;
  const double rounded = std::nearbyint(*number);  // halves to even
  if (!(rounded >= INT16_MIN && rounded <= INT16_MAX)) return 0;
  return static_cast<int16_t>(rounded);
}

bool MatchesFilePatterns(std::string_view patterns, std::string_view name) {
  while (true) {
    const size_t semicolon = patterns.find(';');
    if (WildcardMatch(patterns.substr(0, semicolon), name)) return true;
    if (semicolon == std::string_view::npos) return false;
    patterns.remove_prefix(semicolon + 1);
  }
}

DialogPlacement PlaceDialog(int screen_width, int screen_height, int dialog_width, int dialog_height) {
  return DialogPlacement{(screen_width - dialog_width) / 2, (screen_height - dialog_height) / 3};
}

namespace {

// `start` moved into [low, high - length], or to `low` when it cannot fit.
int KeepInside(int start, int length, int low, int high) {
  if (start + length > high) start = high - length;
  return start < low ? low : start;
}

}  // namespace

DialogPlacement PlaceOverOwner(const ScreenBox& owner, const ScreenBox& work_area, int dialog_width,
                               int dialog_height) {
  // Halves in 64 bits: screen coordinates of two far monitors may add up
  // beyond an int.
  const auto centre = [](int low, int high, int length) {
    return static_cast<int>((static_cast<int64_t>(low) + high - length) / 2);
  };
  return DialogPlacement{
      KeepInside(centre(owner.left, owner.right, dialog_width), dialog_width, work_area.left, work_area.right),
      KeepInside(centre(owner.top, owner.bottom, dialog_height), dialog_height, work_area.top, work_area.bottom)};
}

int BackgroundShade(int y, int height) {
  if (height <= 0) return 0;
  const double d = height / 3.142;
  return static_cast<int>(std::nearbyint(std::abs(std::sin(y / d)) * 220));
}

std::vector<TilePosition> TilePositions(int panel_width, int panel_height, int strip_width, int strip_height) {
  std::vector<TilePosition> positions;
  if (strip_width <= 0 || strip_height <= 0) return positions;
  int x = 0, y = 0;
  while (true) {
    positions.push_back({x, y});
    if (y > panel_height) {
      if (x > panel_width) break;
      x += strip_width;
      y = 0;
    } else {
      y += strip_height;
    }
  }
  return positions;
}

SettingsDialogModel::SettingsDialogModel() : SettingsDialogModel(BGM_Kind, BGM_Track, BGM_File, BGM_Dir) {}

SettingsDialogModel::SettingsDialogModel(int16_t& kind, int16_t& track, std::string& file, std::string& dir)
    : kind_(kind), track_(track), file_(file), dir_(dir), track_text_(FormatTrack(track)) {}

int SettingsDialogModel::FilledBox() const { return kind_ >= 0 && kind_ < kKindCount ? kind_ : -1; }

void SettingsDialogModel::SelectKind(int index) {
  if (index < 0 || index >= kKindCount) return;
  kind_ = static_cast<int16_t>(index);
}

void SettingsDialogModel::ChooseFile(const std::string& path) {
  file_ = path;
  dir_ = File_Dir(path);
}

WriteOutcome SettingsDialogModel::Save(const std::string& settings_file) {
  track_ = ParseTrackText(track_text_);
  return INI_WriteKeys("Section",
                       {{"BGM区分", FormatIniNumber(kind_)},
                        {"BGMﾘﾋﾟｰﾄ", FormatIniNumber(track_)},
                        {"BGMﾌｧｲﾙ", file_}},
                       settings_file);
}

}  // namespace oruna
