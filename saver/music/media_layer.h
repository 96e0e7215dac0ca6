// Pieces shared by the files of the emulated media layer: the one audio
// output that MP3, WAV and CD audio all play through, and the checks that
// keep library noise off the terminal and blocking files out.
#pragma once
#include <cstdint>
#include <string>

namespace oruna {

// Opens the audio output on first use, once per process: SDL audio through
// SDL2_mixer at 44100 Hz, 16-bit little-endian stereo (the format of CD
// audio). False when no audio device can be opened; a failure is kept, so
// later calls answer at once.
bool AudioOutput_Open();

// Number of audio output devices: 0 when the output cannot be opened.
unsigned AudioOutput_DeviceCount();

// A source added onto the mixed output on the audio thread (CD audio).
// Null removes it; once this returns, the old source is no longer called.
using AudioOutput_MixFn = void (*)(void* user, uint8_t* stream, int len);
void AudioOutput_SetExtraSource(AudioOutput_MixFn fn, void* user);

// True when ORUNA_MUSIC_LOG is set: library messages are then let through.
bool MediaLayer_Verbose();

// Keeps the ALSA library from printing its errors (no sound card).
void AudioQuiet_Alsa();

// 0 when `path` names a readable regular file; kMciErrFileNotFound when it
// does not exist or cannot be read; kMciErrInvalidFile for a directory, a
// FIFO or a device, which could block or make no sense as music.
uint32_t MediaFile_Check(const std::string& path);

}  // namespace oruna
