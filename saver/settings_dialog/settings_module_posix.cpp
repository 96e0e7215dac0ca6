// Linux: the settings dialog loaded from its module beside Oruna.scr, only
// when it is to be shown. The module is never unloaded: GTK cannot be, and
// the program ends once the dialog has closed.
#include <dlfcn.h>

#include "settings_module.h"
#include "settings_values.h"

namespace oruna {

bool ShowSettingsDialogFromModule(const std::string& folder, std::string* why_not) {
  // Code is loaded only from the program's own folder, never from wherever
  // the current directory happens to be.
  if (folder.empty() || folder.front() != '/') {
    *why_not = "the program folder is unknown";
    return false;
  }
  const std::string path = folder + "/" + kSettingsModuleFileName;
  // Every symbol is bound now, so that a module that does not fit this
  // system fails here rather than in the middle of the dialog.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* error = dlerror();
    *why_not = error != nullptr ? error : path + ": cannot be loaded";
    return false;
  }
  const auto show = reinterpret_cast<OrunaShowSettingsDialogFn>(dlsym(module, kSettingsModuleEntry));
  if (show == nullptr) {
    *why_not = path + ": no entry " + kSettingsModuleEntry;
    return false;
  }
  const OrunaDialogSettings settings{BGM_Kind, BGM_Track, BGM_File.c_str(), BGM_Dir.c_str()};
  if (show(&settings) == 0) {
    *why_not = "cannot open the display";
    return false;
  }
  return true;
}

}  // namespace oruna
