// Code modules beside Oruna.scr on Linux, through the dynamic loader.
#include <dlfcn.h>

#include "program_module.h"

namespace oruna {

void* ProgramModuleEntry(const std::string& folder, const char* file, const char* entry, std::string& why_not) {
  if (folder.empty() || folder.front() != '/') {
    why_not = "the program folder is unknown";
    return nullptr;
  }
  const std::string path = folder + "/" + file;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* error = dlerror();
    why_not = error != nullptr ? error : path + ": cannot be loaded";
    return nullptr;
  }
  void* address = dlsym(module, entry);
  if (address == nullptr) why_not = path + ": no entry " + entry;
  return address;
}

}  // namespace oruna
