// Linux: the platform's media services are those of the music module
// (the emulated media-control service and the SDL sound player), loaded
// from the program folder on the first music command, once per process.
// Without the module the run goes on silent, as without a sound device:
// every command fails as a driver that cannot be loaded, and the sound
// player has no output device.
#include <cstdio>
#include <cstdlib>

#include "bgm_player.h"
#include "mci_errors.h"
#include "music_module.h"
#include "program_module.h"
#include "settings_file.h"

namespace oruna {
namespace {

// Null when the module is missing or does not load; the failure is kept.
// With ORUNA_MUSIC_LOG set, the reason goes to the error output. The module
// is never unloaded: SDL's audio thread may run until the end.
const OrunaMusicFunctions* LoadMusicModule() {
  std::string why_not;
  const auto entry = reinterpret_cast<OrunaMusicFunctionsFn>(
      ProgramModuleEntry(ProgramFolder(), kMusicModuleFileName, kMusicModuleEntry, why_not));
  if (entry == nullptr) {
    const char* log = std::getenv("ORUNA_MUSIC_LOG");
    if (log != nullptr && *log != '\0' && *log != '0') std::fprintf(stderr, "Oruna.scr: no music: %s\n", why_not.c_str());
    return nullptr;
  }
  return entry();
}

struct ModuleState {
  bool tried = false;
  const OrunaMusicFunctions* functions = nullptr;
};

ModuleState& State() {
  static ModuleState state;
  return state;
}

// The module's services, loading it on the first call.
const OrunaMusicFunctions* MusicModule() {
  ModuleState& state = State();
  if (!state.tried) state.functions = LoadMusicModule();
  state.tried = true;
  return state.functions;
}

void TakeReply(void* sink, const char* text, size_t length) { static_cast<std::string*>(sink)->assign(text, length); }

class ModuleMediaControl final : public MediaControl {
 public:
  uint32_t SendString(const std::string& command, std::string* reply, size_t reply_capacity) override {
    if (reply != nullptr) reply->clear();
    const OrunaMusicFunctions* music = MusicModule();
    if (music == nullptr) return kMciErrCannotLoadDriver;
    return music->send_string(command.c_str(), reply_capacity, reply != nullptr ? TakeReply : nullptr, reply);
  }
};

class ModuleSoundPlayer final : public SoundPlayer {
 public:
  void PlayLooping(const std::string& path) override {
    if (const OrunaMusicFunctions* music = MusicModule()) music->play_looping(path.c_str());
  }
  // Nothing plays before the module is loaded: stopping does not load it.
  void Stop() override {
    if (const OrunaMusicFunctions* music = State().functions) music->stop_sound();
  }
  unsigned OutputDeviceCount() override {
    const OrunaMusicFunctions* music = MusicModule();
    return music != nullptr ? music->output_device_count() : 0;
  }
};

}  // namespace

MediaControl& PlatformMediaControl() {
  static ModuleMediaControl service;
  return service;
}

SoundPlayer& PlatformSoundPlayer() {
  static ModuleSoundPlayer player;
  return player;
}

}  // namespace oruna
