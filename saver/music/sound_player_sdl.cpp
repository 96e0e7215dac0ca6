// Linux (SDL2_mixer): the sound player for WAV files. The file is decoded
// once and loops on a mixer channel of its own until stopped; starting a
// new sound ends the previous one.
#include <SDL_mixer.h>

#include "mci_emulated.h"
#include "media_layer.h"

namespace oruna {
namespace {

class SoundPlayerSdl final : public SoundPlayer {
 public:
  void PlayLooping(const std::string& path) override {
    Stop();
    if (MediaFile_Check(path) != 0 || !AudioOutput_Open()) return;
    chunk_ = Mix_LoadWAV(path.c_str());
    if (!chunk_) return;
    channel_ = Mix_PlayChannel(-1, chunk_, -1);
    if (channel_ < 0) Stop();
  }

  void Stop() override {
    if (channel_ >= 0) Mix_HaltChannel(channel_);
    if (chunk_) Mix_FreeChunk(chunk_);
    chunk_ = nullptr;
    channel_ = -1;
  }

  unsigned OutputDeviceCount() override { return AudioOutput_DeviceCount(); }

 private:
  Mix_Chunk* chunk_ = nullptr;
  int channel_ = -1;
};

}  // namespace

SoundPlayer* SoundPlayer_CreateSdl() { return new SoundPlayerSdl; }

}  // namespace oruna
