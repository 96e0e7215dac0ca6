// Music: CPU cost of one CD poll and one MP3 repeat tick against the
// emulated media layer, and the time from BGM_MP3Open to the first samples
// of the tone in the audio output (SDL's disk driver, paced in real time).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "bgm_player.h"
#include "music_fixtures.h"
#include "settings_values.h"
#include "test_support.h"

namespace {

using namespace oruna;

const std::string& Dir() {
  static test::TempDir dir;
  static const bool audio = (test::UseDiskAudio(dir.path()), true);
  (void)audio;
  return dir.path();
}

// A disc of three ten-second tracks, playing: every poll is the steady one
// (three status queries, no play command).
void BM_CdPoll(benchmark::State& state) {
  setenv("ORUNA_CD_IMAGE", test::WriteToneDisc(Dir(), {750, 750, 750}).c_str(), 1);
  BGM_Track = static_cast<int16_t>(state.range(0));
  BGM_CDOpen();
  BGM_CDPoll();  // starts the disc
  for (auto _ : state) {
    BGM_CDPoll();
    benchmark::DoNotOptimize(CD_PollOn);
  }
  state.counters["poll_on"] = CD_PollOn;
  BGM_CDClose();
}
BENCHMARK(BM_CdPoll)->Arg(0)->Arg(1);

// A ten-second MP3, playing: the tick is one mode query.
void BM_Mp3PollTick(benchmark::State& state) {
  BGM_File = Dir() + "/long.mp3";
  if (!test::MakeTone(BGM_File, 10, 440)) {
    state.SkipWithError("sox failed");
    return;
  }
  BGM_MP3Open();
  for (auto _ : state) BGM_MP3Loop();
  state.counters["playing"] = BGM_MP3IsPlaying();
  BGM_MP3Close();
}
BENCHMARK(BM_Mp3PollTick);

// From the open command to the first output buffer that holds the tone.
void BM_Mp3StartLatency(benchmark::State& state) {
  BGM_File = Dir() + "/short.mp3";
  if (!test::MakeTone(BGM_File, 1, 440)) {
    state.SkipWithError("sox failed");
    return;
  }
  for (auto _ : state) {
    const size_t mark = test::DiskAudioSize();
    const auto start = std::chrono::steady_clock::now();
    BGM_MP3Open();
    while (test::DiskAudioPeakSince(mark) < 3000) std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    BGM_MP3Close();
    test::SleepMs(150);  // let the output fall silent again
  }
}
BENCHMARK(BM_Mp3StartLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
