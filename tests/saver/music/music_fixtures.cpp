#include "music_fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "test_support.h"

namespace oruna::test {
namespace {

std::string g_disk_file;

}  // namespace

bool MakeTone(const std::string& path, double seconds, int hz) {
  ChildProcess sox({"/usr/bin/sox", "-q", "-n", "-r", "44100", "-c", "2", path, "synth",
                    std::to_string(seconds), "sine", std::to_string(hz), "vol", "0.5"});
  return sox.started() && sox.Wait(std::chrono::seconds(30)) == 0 && FileExists(path);
}

std::string WriteToneDisc(const std::string& dir, const std::vector<int>& sectors_per_track) {
  std::ofstream bin(dir + "/disc.bin", std::ios::binary);
  std::ofstream cue(dir + "/disc.cue");
  cue << "FILE \"disc.bin\" BINARY\n";
  int start = 0;
  for (size_t k = 0; k < sectors_per_track.size(); ++k) {
    char index[64];
    std::snprintf(index, sizeof index, "    INDEX 01 %02d:%02d:%02d\n", start / 75 / 60, start / 75 % 60,
                  start % 75);
    char track[48];
    std::snprintf(track, sizeof track, "  TRACK %02zu AUDIO\n", k + 1);
    cue << track << index;
    const double amplitude = 4000.0 * double(k + 1);
    const int frames = sectors_per_track[k] * 588;
    for (int f = 0; f < frames; ++f) {
      const auto v = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * 441.0 * f / 44100.0)));
      const char bytes[4] = {char(v & 0xff), char((v >> 8) & 0xff), char(v & 0xff), char((v >> 8) & 0xff)};
      bin.write(bytes, 4);
    }
    start += sectors_per_track[k];
  }
  return dir + "/disc.cue";
}

void UseDiskAudio(const std::string& dir) {
  g_disk_file = dir + "/audio.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", g_disk_file.c_str(), 1);
}

size_t DiskAudioSize() {
  std::ifstream in(g_disk_file, std::ios::binary | std::ios::ate);
  return in ? static_cast<size_t>(in.tellg()) : 0;
}

int DiskAudioPeakSince(size_t offset) {
  std::ifstream in(g_disk_file, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset & ~size_t{1}));
  int peak = 0;
  char pair[2];
  while (in.read(pair, 2)) {
    const int v = static_cast<int16_t>(static_cast<uint8_t>(pair[0]) | (static_cast<uint8_t>(pair[1]) << 8));
    peak = std::max(peak, std::abs(v));
  }
  return peak;
}

bool ToneSince(size_t mark) {
  return WaitUntil([&] { return DiskAudioPeakSince(mark) > kTone; }, std::chrono::seconds(3));
}

bool SilentFor(int ms) {
  const size_t mark = DiskAudioSize();
  SleepMs(ms);
  return DiskAudioSize() > mark && DiskAudioPeakSince(mark) < kSilence;
}

}  // namespace oruna::test
