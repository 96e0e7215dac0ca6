// Linux: the settings dialog loaded from its module beside Oruna.scr, only
// when it is to be shown. The module is never unloaded: GTK cannot be, and
// the program ends once the dialog has closed.
#include "program_module.h"
#include "settings_module.h"
#include "settings_values.h"

namespace oruna {

bool ShowSettingsDialogFromModule(const std::string& folder, std::string* why_not) {
  const auto show = reinterpret_cast<OrunaShowSettingsDialogFn>(
      ProgramModuleEntry(folder, kSettingsModuleFileName, kSettingsModuleEntry, *why_not));
  if (show == nullptr) return false;
  const OrunaDialogSettings settings{BGM_Kind, BGM_Track, BGM_File.c_str(), BGM_Dir.c_str()};
  if (show(&settings) == 0) {
    *why_not = "cannot open the display";
    return false;
  }
  return true;
}

}  // namespace oruna
