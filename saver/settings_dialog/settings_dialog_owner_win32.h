// Entry of the settings dialog on Windows when the host's settings name the
// window the dialog belongs to ("/c:<window>", from the Screen Saver
// Settings' "Settings" button).
#pragma once
#include <windows.h>

namespace oruna {

// Shows the dialog modally, owned by `owner` when that is a window (no
// taskbar button of its own, kept above it, centred over it on its monitor,
// the owner disabled meanwhile); with null or a value that names no window,
// as ShowSettingsDialog does. Returns once the dialog has closed.
void ShowSettingsDialogOwnedBy(HWND owner);

}  // namespace oruna
