// The Linux media layer as a module of its own ("Oruna.music.so" beside
// Oruna.scr): the saver loads it on a run's first music command, so that a
// run without music never loads SDL2_mixer, SDL's audio drivers, libcdio or
// mpg123. Its one entry hands out the layer's services as C functions over
// text: the media-control command strings and the sound player.
#pragma once
#include <cstddef>
#include <cstdint>

extern "C" {

// Receives a reply: `length` bytes at `text` (not NUL-terminated).
using OrunaMusicReplyFn = void (*)(void* sink, const char* text, size_t length);

struct OrunaMusicFunctions {
  // One command string (a C string) to the media-control service; returns
  // its result code. The reply, cut to `reply_capacity` - 1 bytes, goes to
  // `reply` unless that is null.
  uint32_t (*send_string)(const char* command, size_t reply_capacity, OrunaMusicReplyFn reply, void* sink);
  // The sound player for WAV files.
  void (*play_looping)(const char* path);
  void (*stop_sound)();
  unsigned (*output_device_count)();
};

using OrunaMusicFunctionsFn = const OrunaMusicFunctions* (*)();
}

namespace oruna {

inline constexpr const char* kMusicModuleFileName = "Oruna.music.so";
inline constexpr const char* kMusicModuleEntry = "oruna_music_functions";

}  // namespace oruna
