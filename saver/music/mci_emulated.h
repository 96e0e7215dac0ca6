// The emulated media-control service and the SDL sound player of the
// Linux media layer.
#pragma once
#include "bgm_player.h"

namespace oruna {

// A new instance of the emulated service. The audio output is shared by
// the process, so one instance is in use at a time: PlatformMediaControl().
// Not thread-safe: commands come from one thread.
MediaControl* MediaControl_CreateEmulated();

SoundPlayer* SoundPlayer_CreateSdl();

}  // namespace oruna
