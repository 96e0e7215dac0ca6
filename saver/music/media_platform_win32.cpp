// Windows: the platform's media services are the real media control
// interface (mciSendStringA) and the sound player (PlaySoundA,
// waveOutGetNumDevs). Commands and file names go out in the ANSI code page
// and replies come back from it; the player holds them as UTF-8.
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "bgm_player.h"
#include "wide_text_win32.h"

namespace oruna {
namespace {

class WindowsMediaControl final : public MediaControl {
 public:
  uint32_t SendString(const std::string& command, std::string* reply, size_t reply_capacity) override {
    // The command is a C string: it ends at its first NUL.
    const std::string text = AnsiFromUtf8(command.substr(0, command.find('\0')));
    if (reply == nullptr || reply_capacity == 0) {
      if (reply != nullptr) reply->clear();
      return mciSendStringA(text.c_str(), nullptr, 0, nullptr);
    }
    std::vector<char> buffer(reply_capacity, '\0');
    const MCIERROR result =
        mciSendStringA(text.c_str(), buffer.data(), static_cast<UINT>(buffer.size()), nullptr);
    buffer.back() = '\0';
    *reply = Utf8FromAnsi(buffer.data());
    return result;
  }
};

class WindowsSoundPlayer final : public SoundPlayer {
 public:
  void PlayLooping(const std::string& path) override {
    // Without SND_NODEFAULT a file that cannot be played (an MP3 renamed
    // .wav, a truncated file, a share gone) plays Windows' default sound
    // instead, over and over; every music failure must stay silent.
    PlaySoundA(AnsiFromUtf8(path).c_str(), nullptr, SND_ASYNC | SND_LOOP | SND_NODEFAULT);
  }
  void Stop() override { PlaySoundA(nullptr, nullptr, 0); }
  unsigned OutputDeviceCount() override { return waveOutGetNumDevs(); }
};

}  // namespace

MediaControl& PlatformMediaControl() {
  static WindowsMediaControl service;
  return service;
}

SoundPlayer& PlatformSoundPlayer() {
  static WindowsSoundPlayer player;
  return player;
}

}  // namespace oruna
