// Linux (SDL2_mixer, libmpg123): the MPEG video device of the emulated
// media-control service, one file open under an alias, played as the
// mixer's music stream. Positions are milliseconds.
#include <SDL_mixer.h>
#include <dlfcn.h>
#include <mpg123.h>

#include "mci_devices.h"
#include "mci_errors.h"
#include "media_layer.h"

// SDL2_mixer makes its MP3 decoders with libmpg123's default settings, which
// print a note on stderr for every damaged frame. This definition stands in
// front of the library's own (the program's symbols come first in dynamic
// lookup), makes the decoder with the real function and turns the notes off
// unless ORUNA_MUSIC_LOG asks for them. It lives here so that it is linked
// into every program that can play MP3.
extern "C" mpg123_handle* mpg123_new(const char* decoder, int* error) {
  using NewFn = mpg123_handle* (*)(const char*, int*);
  static const NewFn real = reinterpret_cast<NewFn>(dlsym(RTLD_NEXT, "mpg123_new"));
  if (!real) {
    if (error) *error = MPG123_ERR;
    return nullptr;
  }
  mpg123_handle* handle = real(decoder, error);
  if (handle && !oruna::MediaLayer_Verbose()) mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  return handle;
}

namespace oruna {

struct Mp3AliasDevice::State {
  Mix_Music* music = nullptr;
  bool started = false;  // played and not stopped since: not playing then means "at its end"
  double resume_seconds = 0;

  bool Sounding() const { return started && Mix_PlayingMusic(); }

  uint32_t Start(double seconds) {
    if (Mix_FadeInMusicPos(music, 0, 0, seconds) != 0) return kMciErrHardware;
    started = true;
    return 0;
  }

  uint32_t Play(const MciRequest& request) {
    if (request.has_to) return kMciErrUnsupportedFunction;
    if (request.has_from) {
      uint32_t ms = 0;
      if (!MCI_ParseUnsigned(request.from, &ms)) return kMciErrBadInteger;
      const double length = Mix_MusicDuration(music);
      if (length > 0 && ms / 1000.0 > length) return kMciErrOutOfRange;
      return Start(ms / 1000.0);
    }
    if (Sounding()) {
      if (Mix_PausedMusic()) Mix_ResumeMusic();
      return 0;
    }
    if (started) return 0;  // played to its end: a plain play has nothing left
    return Start(resume_seconds);
  }

  void Stop() {
    if (Sounding()) {
      const double at = Mix_GetMusicPosition(music);
      resume_seconds = at > 0 ? at : 0;
      Mix_HaltMusic();
    }
    started = false;
  }

  const char* Mode() const {
    if (!Sounding()) return "stopped";
    return Mix_PausedMusic() ? "paused" : "playing";
  }

  void Close() {
    Stop();
    if (music) Mix_FreeMusic(music);
    *this = State{};
  }
};

Mp3AliasDevice::Mp3AliasDevice() : state_(std::make_unique<State>()) {}
Mp3AliasDevice::~Mp3AliasDevice() { state_->Close(); }

bool Mp3AliasDevice::IsOpen() const { return state_->music != nullptr; }

uint32_t Mp3AliasDevice::Open(const std::string& path) {
  if (IsOpen()) return kMciErrDeviceOpen;
  if (const uint32_t err = MediaFile_Check(path)) return err;
  if (!AudioOutput_Open()) return kMciErrHardware;
  state_->music = Mix_LoadMUS(path.c_str());
  return state_->music ? 0 : kMciErrInvalidFile;
}

uint32_t Mp3AliasDevice::Handle(const MciRequest& request, std::string* answer) {
  if (!IsOpen()) return kMciErrInvalidDeviceName;
  switch (request.verb) {
    case MciVerb::kStatus:
      if (request.item != MciStatusItem::kMode) return kMciErrUnsupportedFunction;
      *answer = state_->Mode();
      return 0;
    case MciVerb::kPlay:
      return state_->Play(request);
    case MciVerb::kStop:
      state_->Stop();
      return 0;
    case MciVerb::kClose:
      state_->Close();
      return 0;
    case MciVerb::kSet:
      return kMciErrUnsupportedFunction;
    case MciVerb::kOpen:
      break;
  }
  return kMciErrDeviceOpen;
}

}  // namespace oruna
