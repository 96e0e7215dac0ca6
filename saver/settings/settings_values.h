// The music settings shared by the whole screen saver: loaded once per
// process from the settings file, read by the run form and the music player,
// changed and saved only by the settings dialog. Text is UTF-8 in memory.
#pragma once
#include <cstdint>
#include <string>

namespace oruna {

extern int16_t BGM_Kind;    // 0 no music, 1 audio CD, 2 music file
extern int16_t BGM_Track;   // 0 whole disc, N > 0 repeat track N
extern std::string BGM_File;  // full path of the MP3 or WAV file
extern std::string BGM_Dir;   // start folder of the file chooser (derived)

}  // namespace oruna
