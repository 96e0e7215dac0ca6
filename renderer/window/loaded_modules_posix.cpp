// POSIX (glibc): pins the loaded shared objects with RTLD_NODELETE.
//
// Why the renderer does this once its GL context exists: the GL driver keeps
// some heap blocks referenced only from its own static data. When SDL's
// teardown closes libGL, the driver module is unmapped before the process
// exits; its static data vanishes with it, those blocks become unreachable
// and a leak checker at exit reports them with frames of an "<unknown
// module>", which no suppression can name. Kept mapped, the blocks stay
// reachable as they are in a normal run, while our own leaks (unreachable
// from anywhere) are still reported. Nothing observable changes otherwise:
// the process ends right after the teardown.
#include <dlfcn.h>
#include <link.h>

#include <string>
#include <vector>

#include "loaded_modules.h"

namespace oruna {
namespace {

int CollectName(dl_phdr_info* info, size_t, void* data) {
  // The main program has an empty name; it is never unloaded anyway.
  if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
    static_cast<std::vector<std::string>*>(data)->emplace_back(info->dlpi_name);
  return 0;
}

}  // namespace

int KeepLoadedModulesUntilExit() {
  // Names are collected first: dlopen must not run inside dl_iterate_phdr,
  // which holds the loader's lock.
  std::vector<std::string> names;
  dl_iterate_phdr(CollectName, &names);
  int pinned = 0;
  for (const std::string& name : names) {
    // RTLD_NOLOAD only finds an object that is already loaded; the handle is
    // kept on purpose (its reference is what the pin is made of).
    if (dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE) != nullptr) ++pinned;
  }
  return pinned;
}

}  // namespace oruna
