// Background music player: audio CD, MP3 and WAV through media-control
// command strings and the sound player. Every operation is silent on failure.
//
// The run form owns the music: it calls BGM_CDOpen / BGM_MP3Open /
// BGM_WAVPlay when the saver starts, BGM_CDPoll (200 ms) or BGM_MP3Loop
// (1000 ms) from its timers, and the matching close or stop at the end.
// All calls come from the one user-interface thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace oruna {

// The media-control service: one command string in, a result code (0 on
// success, an MCI error number otherwise) and a reply out. `reply` may be
// null; a reply is cut to `reply_capacity - 1` characters (none when the
// capacity is 0). The command is read up to its first NUL, as a C string.
class MediaControl {
 public:
  virtual ~MediaControl() = default;
  virtual uint32_t SendString(const std::string& command, std::string* reply,
                              size_t reply_capacity) = 0;
};

// The sound player for WAV files.
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void PlayLooping(const std::string& path) = 0;  // asynchronous, endless
  virtual void Stop() = 0;                                // ends any sound it plays
  virtual unsigned OutputDeviceCount() = 0;               // 0: no audio output
};

// The platform's own services (the emulated ones on Linux).
MediaControl& PlatformMediaControl();
SoundPlayer& PlatformSoundPlayer();

// Replaces the services the player talks to; null restores the platform's.
void BGM_UseBackends(MediaControl* mci, SoundPlayer* sound);

// Reply capacities, in characters including the terminating NUL.
inline constexpr size_t kMciReplyCapacity = 512;
inline constexpr size_t kCdModeCapacity = 255;
inline constexpr size_t kMp3ModeCapacity = 30;

extern bool CD_PollOn;         // false once a CD poll found the device unusable
extern std::string MCI_Reply;  // reply of the last successful BGM_SendCommand

uint32_t BGM_SendCommand(const std::string& command);
std::string BGM_Query(const std::string& command);
uint32_t BGM_PlayRange(const std::string& device, const std::string& from, const std::string& to);

void BGM_CDOpen();
void BGM_CDPoll();
void BGM_CDClose();
void BGM_MP3Open();
bool BGM_MP3IsPlaying();
void BGM_MP3Loop();
void BGM_MP3Close();
void BGM_WAVPlay();
void BGM_WAVStop();

// Which player a music file gets: "WAV" or "MP3" when the last three
// characters of `path` are those letters in any case, otherwise "".
std::string MusicFileKind(const std::string& path);

// Forgets the remembered mode texts, MCI_Reply and CD_PollOn, as at the
// start of a new process.
void BGM_ResetState();

}  // namespace oruna
