// CPU time of one frame's animation step: the corona jitter (3,267 draws)
// and the five spawn-and-step calls over the spark pool.
#include <benchmark/benchmark.h>

#include "corona_grid.h"
#include "particles.h"
#include "random_source.h"
#include "scene.h"

namespace {

void BM_AnimationStep(benchmark::State& state) {
  oruna::ResetRandomSource();
  oruna::ResetParticles();
  oruna::BuildCoronaGrid();
  for (int i = 0; i < 100; ++i) oruna::StepSparkEmitters();  // steady state: ~200 sparks
  for (auto _ : state) {
    oruna::JitterCoronaGrid();
    oruna::StepSparkEmitters();
    benchmark::DoNotOptimize(oruna::JitteredGrid());
  }
}
BENCHMARK(BM_AnimationStep);

void BM_CoronaJitter(benchmark::State& state) {
  oruna::BuildCoronaGrid();
  for (auto _ : state) {
    oruna::JitterCoronaGrid();
    benchmark::DoNotOptimize(oruna::JitteredGrid());
  }
}
BENCHMARK(BM_CoronaJitter);

}  // namespace

BENCHMARK_MAIN();
