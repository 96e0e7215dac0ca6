// The music module's entry on Linux: the emulated media-control service and
// the SDL sound player, built into Oruna.music.so with SDL2_mixer, libcdio
// and mpg123, and handed out as C functions over text.
#include "mci_emulated.h"
#include "music_module.h"

namespace oruna {
namespace {

// Never destroyed: SDL's audio thread may still be mixing their sound while
// the process ends, and must not find them gone.
MediaControl& Service() {
  static MediaControl* const service = MediaControl_CreateEmulated();
  return *service;
}

SoundPlayer& Player() {
  static SoundPlayer* const player = SoundPlayer_CreateSdl();
  return *player;
}

uint32_t SendString(const char* command, size_t reply_capacity, OrunaMusicReplyFn reply, void* sink) {
  std::string answer;
  const uint32_t result = Service().SendString(command, reply != nullptr ? &answer : nullptr, reply_capacity);
  if (reply != nullptr) reply(sink, answer.data(), answer.size());
  return result;
}

void PlayLooping(const char* path) { Player().PlayLooping(path); }
void StopSound() { Player().Stop(); }
unsigned OutputDeviceCount() { return Player().OutputDeviceCount(); }

constexpr OrunaMusicFunctions kFunctions{SendString, PlayLooping, StopSound, OutputDeviceCount};

}  // namespace
}  // namespace oruna

extern "C" __attribute__((visibility("default"))) const OrunaMusicFunctions* oruna_music_functions() {
  return &oruna::kFunctions;
}
