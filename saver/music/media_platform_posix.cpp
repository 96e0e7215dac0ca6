// Linux: the platform's media services are the emulated media-control
// service and the SDL sound player.
#include "mci_emulated.h"

namespace oruna {

// Never destroyed: SDL's audio thread may still be mixing their sound while
// the process ends, and must not find them gone.
MediaControl& PlatformMediaControl() {
  static MediaControl* const service = MediaControl_CreateEmulated();
  return *service;
}

SoundPlayer& PlatformSoundPlayer() {
  static SoundPlayer* const player = SoundPlayer_CreateSdl();
  return *player;
}

}  // namespace oruna
