// Windows message box: the renderer's modal error box, owned by the window
// that has the keyboard focus, with one OK button.
#include <windows.h>

#include "error_message.h"

namespace oruna {

void PlatformMessageBox(const std::string& caption, const std::string& text) {
  MessageBoxA(GetFocus(), text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace oruna
