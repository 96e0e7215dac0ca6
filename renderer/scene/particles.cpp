#include "particles.h"

#include "random_source.h"

namespace oruna {
namespace {

Particle g_pool[kParticleCount];

void Spawn(float x, float y, float z) {
  for (Particle& p : g_pool) {
    if (p.active != 0) continue;
    p.x = x;
    p.y = y;
    p.z = z;
    p.size = 0.001f;
    p.life = kParticleLife;
    const int r1 = NextRandom() % 10, r2 = NextRandom() % 10, r3 = NextRandom() % 10;
    const int r4 = NextRandom() % 10, r5 = NextRandom() % 10;
    p.vx = static_cast<float>(r1 - r2) / 30000.0f;
    p.vy = static_cast<float>(r3) / 30000.0f + 0.0001f;
    p.vz = static_cast<float>(r4 - r5) / 30000.0f;
    p.active = 1;
    return;
  }
  // A full pool spawns nothing.
}

void Step(Particle& p) {
  p.x += p.vx;
  p.y += p.vy;
  p.z += p.vz;
  p.size += 0.0002f;
  p.life -= 1.0f;
  // Life counts down from 200 in whole steps, so it reaches 0 exactly.
  if (p.life == 0.0f) p.active = 0;
}

}  // namespace

void ResetParticles() {
  for (Particle& p : g_pool) p = Particle{0, 0, 0, 0, 0, 0, 0, 0.001f, 0};
}

void StepParticles(float x, float y, float z, int count) {
  for (int i = 0; i < count; ++i) Spawn(x, y, z);
  for (Particle& p : g_pool)
    if (p.active == 1) Step(p);
}

const Particle* ParticlePool() { return g_pool; }

}  // namespace oruna
