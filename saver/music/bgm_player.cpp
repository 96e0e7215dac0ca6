// The music player's command logic: which media-control strings are sent,
// in which order, and how the few answers that matter are read. Portable:
// the services behind it are the MediaControl and SoundPlayer interfaces.
#include "bgm_player.h"

#include <cctype>
#include <climits>

#include "settings_values.h"

namespace oruna {

bool CD_PollOn = false;
std::string MCI_Reply;

namespace {

MediaControl* g_mci = nullptr;
SoundPlayer* g_sound = nullptr;

// Last answers to the two mode queries. A failed query leaves the text of
// the previous answer in place, as a fixed reply buffer would.
std::string g_cd_mode;
std::string g_mp3_mode;

MediaControl& Mci() { return g_mci ? *g_mci : PlatformMediaControl(); }
SoundPlayer& Sound() { return g_sound ? *g_sound : PlatformSoundPlayer(); }

// A reply buffer is read as a C string: up to its first NUL.
std::string UpToNul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsFailure(const std::string& answer) { return Upper(answer).find("ERR") != std::string::npos; }

// Sends a command whose result nobody looks at.
void SendBlind(const std::string& command) { Mci().SendString(command, nullptr, 0); }

// Sends a mode query with its own fixed buffer; keeps the old text on failure.
void QueryMode(const std::string& command, size_t capacity, std::string* mode) {
  std::string reply;
  if (Mci().SendString(command, &reply, capacity) == 0) *mode = UpToNul(reply);
}

// The leading number of a text, read the lenient way: spaces, an optional
// sign and digits; anything else ends the number and no digits read as 0.
long LeadingNumber(const std::string& text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string::npos) return 0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value > (LONG_MAX - 9) / 10) break;  // far beyond any track number
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace

void BGM_UseBackends(MediaControl* mci, SoundPlayer* sound) {
  g_mci = mci;
  g_sound = sound;
}

void BGM_ResetState() {
  CD_PollOn = false;
  MCI_Reply.clear();
  g_cd_mode.clear();
  g_mp3_mode.clear();
}

uint32_t BGM_SendCommand(const std::string& command) {
  std::string reply;
  const uint32_t result = Mci().SendString(command, &reply, kMciReplyCapacity);
  if (result == 0) MCI_Reply = UpToNul(reply);
  return result;
}

std::string BGM_Query(const std::string& command) {
  const uint32_t result = BGM_SendCommand(command);
  if (result == 0) return MCI_Reply;
  return "Error:" + std::to_string(result);
}

uint32_t BGM_PlayRange(const std::string& device, const std::string& from, const std::string& to) {
  std::string command = "play " + device;
  if (!from.empty()) command += " from " + from;
  if (!to.empty()) command += " to " + to;
  return BGM_SendCommand(command);
}

void BGM_CDOpen() {
  SendBlind("open cdaudio");
  SendBlind("set cdaudio time format tmsf");
}

// One CD poll: ends polling for good when the drive cannot answer; restarts
// a stopped disc; with a repeat track, jumps back to it whenever the drive
// is stopped or has moved on to another track.
void BGM_CDPoll() {
  CD_PollOn = true;
  const std::string current = BGM_Query("status cdaudio current track");
  if (IsFailure(current)) {
    CD_PollOn = false;
    return;
  }
  if (IsFailure(BGM_Query("status cdaudio number of tracks"))) {
    CD_PollOn = false;
    return;
  }
  QueryMode("status cdaudio mode", kCdModeCapacity, &g_cd_mode);
  const bool stopped = g_cd_mode.substr(0, 7) == "stopped";

  if (BGM_Track == 0) {
    if (stopped) BGM_PlayRange("cdaudio", "", "");
    return;
  }
  if (stopped || LeadingNumber(current) != BGM_Track) {
    // The answer goes into the play command as it comes back, also when
    // it is an error text: the device then rejects the play.
    const std::string start = BGM_Query("status cdaudio position track " + std::to_string(BGM_Track));
    BGM_PlayRange("cdaudio", start, "");
  }
}

void BGM_CDClose() {
  SendBlind("stop cdaudio");
  SendBlind("close cdaudio");
}

void BGM_MP3Open() {
  // A double quote inside the path would end the quoted file name early and
  // let the rest of the path be read as command keywords. No such file can
  // be opened by name on the product's home system, so it is not opened.
  if (BGM_File.find('"') != std::string::npos) return;
  const std::string command = "open \"" + BGM_File + "\" type MPEGVideo Alias MP3Play";
  if (Mci().SendString(command, nullptr, 0) == 0) SendBlind("play MP3Play");
}

bool BGM_MP3IsPlaying() {
  QueryMode("status MP3Play mode", kMp3ModeCapacity, &g_mp3_mode);
  return g_mp3_mode.substr(0, 7) == "playing";
}

void BGM_MP3Loop() {
  if (BGM_MP3IsPlaying()) return;
  SendBlind("stop MP3Play");
  SendBlind("play MP3Play from 0");
}

void BGM_MP3Close() {
  SendBlind("stop MP3Play");
  SendBlind("close MP3Play");
}

void BGM_WAVPlay() {
  if (Sound().OutputDeviceCount() > 0) Sound().PlayLooping(BGM_File);
}

void BGM_WAVStop() { Sound().Stop(); }

std::string MusicFileKind(const std::string& path) {
  const std::string tail = Upper(path.size() > 3 ? path.substr(path.size() - 3) : path);
  return tail == "WAV" || tail == "MP3" ? tail : std::string();
}

}  // namespace oruna
