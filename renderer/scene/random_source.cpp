#include "random_source.h"

namespace oruna {
namespace {
uint32_t g_state = 1;
}

int NextRandom() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

uint32_t RandomState() { return g_state; }
void ResetRandomSource() { g_state = 1; }

}  // namespace oruna
