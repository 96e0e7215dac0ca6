// The settings dialog as a module of its own on Linux ("Oruna.settings.so"
// beside Oruna.scr): the saver loads it only when the dialog is to be shown,
// so that a run or a preview never loads GTK. The module's one entry is a C
// function; the saver hands it the settings it has loaded, since the module
// holds its own copy of the settings values.
#pragma once
#include <cstdint>
#include <string>

extern "C" {

struct OrunaDialogSettings {
  int16_t kind;
  int16_t track;
  const char* file;  // UTF-8, never null
  const char* dir;   // UTF-8, never null
};

// Starts GTK on the display and shows the dialog modally, starting from
// `settings`; returns 1 once it has closed, 0 when GTK could not start.
using OrunaShowSettingsDialogFn = int (*)(const OrunaDialogSettings* settings);
}

namespace oruna {

inline constexpr const char* kSettingsModuleFileName = "Oruna.settings.so";
inline constexpr const char* kSettingsModuleEntry = "oruna_show_settings_dialog";

// Loads the module from `folder` (absolute) and shows the dialog with the
// loaded settings values. False, with the reason in `why_not`, when the
// dialog could not be shown: the module is missing, does not load or has no
// entry, or GTK could not open the display.
bool ShowSettingsDialogFromModule(const std::string& folder, std::string* why_not);

}  // namespace oruna
