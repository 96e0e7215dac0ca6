// The scene's random source: a linear congruential generator with a fixed
// start, so that every start of the renderer shows the same animation.
#pragma once
#include <cstdint>

namespace oruna {

// Next draw: state = state * 214013 + 2531011 (mod 2^32); yields bits 16..30
// of the new state, 0..32767.
int NextRandom();

// The state, and setting it back to the start value 1. The renderer never
// reseeds; tests and benchmarks do, to start from a known point.
uint32_t RandomState();
void ResetRandomSource();

}  // namespace oruna
