// Linux (ALSA): silences the ALSA library's error printing. SDL loads the
// library at run time, so it is looked up the same way; without it there
// is nothing to silence.
#include <dlfcn.h>

#include "media_layer.h"

namespace oruna {
namespace {

void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

using SetHandlerFn = int (*)(void (*)(const char*, int, const char*, int, const char*, ...));

}  // namespace

void AudioQuiet_Alsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!alsa) return;
  auto set_handler = reinterpret_cast<SetHandlerFn>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (set_handler) set_handler(QuietAlsaError);
  // The library stays loaded: SDL uses this same instance, and our handler with it.
}

}  // namespace oruna
