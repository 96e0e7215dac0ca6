// Generated music for the media-layer tests and benchmarks: tone files made
// with sox, a BIN/CUE disc image of tone tracks, and a reader for the raw
// output of SDL's disk audio driver.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace oruna::test {

// Makes `seconds` of a sine tone at `hz` with sox; the file type follows
// the name's ending (.mp3, .wav). False when sox failed.
bool MakeTone(const std::string& path, double seconds, int hz);

// Writes disc.bin and disc.cue into `dir`: one audio track per entry of
// `sectors_per_track`, track k a tone of peak 4000 * k. Returns the cue path.
std::string WriteToneDisc(const std::string& dir, const std::vector<int>& sectors_per_track);

// Points SDL at the disk audio driver, writing into `dir`. Call before any
// audio is opened in the process.
void UseDiskAudio(const std::string& dir);
// Bytes the disk driver has written so far.
size_t DiskAudioSize();
// Largest sample magnitude written from byte `offset` to now.
int DiskAudioPeakSince(size_t offset);

constexpr int kTone = 3000;    // a peak above this is a tone
constexpr int kSilence = 100;  // a peak below this is silence

// A tone reaches the disk driver's output after byte `mark`, within 3 s.
bool ToneSince(size_t mark);
// The output keeps running and carries silence over the next `ms` ms.
bool SilentFor(int ms);

}  // namespace oruna::test
