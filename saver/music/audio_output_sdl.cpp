// Linux (SDL2 + SDL2_mixer): the one audio output of the media layer.
// SDL is initialised here lazily, audio only, so a saver without music
// never touches the sound system.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdlib>

#include "media_layer.h"

namespace oruna {
namespace {

void QuietSdlLog(void*, int, SDL_LogPriority, const char*) {}

// Opens the mixer; returns false when there is no usable audio device.
bool OpenOnce() {
  const bool verbose = MediaLayer_Verbose();
  if (!verbose) {
    // The disk and dummy drivers announce themselves, and the ALSA library
    // prints its configuration errors when there is no sound card.
    SDL_LogSetOutputFunction(QuietSdlLog, nullptr);
    AudioQuiet_Alsa();
  }
  // SDL would otherwise take over SIGINT and SIGTERM, and the saver would
  // no longer end when the system asks it to.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  Mix_Init(MIX_INIT_MP3);
  // No format changes allowed: SDL converts to the device, and the mixer
  // output stays in CD audio's own format for the CD source.
  if (Mix_OpenAudioDevice(44100, AUDIO_S16LSB, 2, 2048, nullptr, 0) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

}  // namespace

bool MediaLayer_Verbose() {
  const char* value = std::getenv("ORUNA_MUSIC_LOG");
  return value && *value && *value != '0';
}

bool AudioOutput_Open() {
  static const bool open = OpenOnce();  // thread-safe, tried once
  return open;
}

unsigned AudioOutput_DeviceCount() {
  if (!AudioOutput_Open()) return 0;
  // Drivers that cannot list their devices (disk, dummy) still have one.
  return static_cast<unsigned>(std::max(1, SDL_GetNumAudioDevices(0)));
}

void AudioOutput_SetExtraSource(AudioOutput_MixFn fn, void* user) {
  if (!AudioOutput_Open()) return;
  Mix_SetPostMix(fn, user);  // takes the audio lock: no call to the old source after this
}

}  // namespace oruna
