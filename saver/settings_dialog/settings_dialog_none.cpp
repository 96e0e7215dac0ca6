// Stands in for the settings dialog while the program is built without it:
// the dialog closes at once.
#include "settings_dialog_entry.h"
#include "settings_dialog_owner_win32.h"

namespace oruna {

void ShowSettingsDialog() {}
void ShowSettingsDialogOwnedBy(HWND) {}

}  // namespace oruna
