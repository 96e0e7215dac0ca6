// A stand-in for a GL driver module: like Mesa's DRI drivers it keeps a heap
// block that only its own static data points to.
#include <cstdlib>

extern "C" {
void* fake_driver_block = nullptr;

__attribute__((visibility("default"))) void FakeDriverInit() {
  if (fake_driver_block == nullptr) fake_driver_block = std::malloc(128);
}
}
