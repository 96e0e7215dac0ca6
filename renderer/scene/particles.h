// The spark pool: fixed records, spawned at emitter points, stepped in place.
#pragma once

namespace oruna {

struct Particle {
  float x, y, z;     // position
  float vx, vy, vz;  // displacement per step
  float life;        // steps left: 200 at spawn, freed at 0
  float size;        // half the billboard's diagonal
  int active;        // 1 while in use
};

constexpr int kParticleCount = 1024;
constexpr float kParticleLife = 200.0f;

// Frees every record (active 0, size 0.001).
void ResetParticles();

// Spawns `count` particles at (x, y, z) in the lowest free records, five
// random draws each, then advances every active record one step.
void StepParticles(float x, float y, float z, int count);

const Particle* ParticlePool();  // kParticleCount records, in index order

}  // namespace oruna
