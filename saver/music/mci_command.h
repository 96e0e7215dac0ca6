// Parser of media-control command strings: the grammar of the commands the
// music player sends, turned into a request that a device can carry out.
// Portable and free of any audio library, so that it can be fuzzed alone.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace oruna {

enum class MciVerb { kOpen, kSet, kStatus, kPlay, kStop, kClose };

enum class MciStatusItem { kCurrentTrack, kNumberOfTracks, kMode, kPosition, kPositionTrack };

struct MciRequest {
  MciVerb verb = MciVerb::kStop;
  std::string device;          // device name or alias; for open also a file path
  bool device_quoted = false;  // written in double quotes (a file path)
  // open
  std::string type;            // as written; empty when absent
  std::string alias;
  // set
  std::string time_format;     // lower case
  // status
  MciStatusItem item = MciStatusItem::kMode;
  uint32_t track = 0;          // for kPositionTrack
  // play: position texts as written, in the device's time format
  bool has_from = false, has_to = false;
  std::string from, to;
};

// Splits a command into words. A word that starts with a double quote runs
// to the next double quote and may hold spaces. Returns 0 or an MCI error.
uint32_t MCI_Tokenize(std::string_view command, std::vector<std::string>* words,
                      std::vector<bool>* quoted);

// Parses one command. Keywords and the verb match without regard to case.
// Returns 0 and fills `out`, or an MCI error number.
uint32_t MCI_Parse(std::string_view command, MciRequest* out);

// A position in tracks, minutes, seconds and frames.
struct Tmsf {
  uint32_t track = 0, minutes = 0, seconds = 0, frames = 0;
};

// Reads "T", "T:M", "T:M:S" or "T:M:S:F", each field 0..255 in decimal.
bool MCI_ParseTmsf(std::string_view text, Tmsf* out);
// Writes "TT:MM:SS:FF", the form the CD device replies with.
std::string MCI_FormatTmsf(const Tmsf& position);
// Reads a plain decimal number (no sign), false on overflow or junk.
bool MCI_ParseUnsigned(std::string_view text, uint32_t* out);

}  // namespace oruna
