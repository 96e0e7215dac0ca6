// Labels and pictures of the settings dialog on Win32: the window class
// "Oruna.Label", a child window that looks windowless (it draws the form
// behind it, then its text or picture) and tells its parent about presses
// and clicks through WM_COMMAND.
#pragma once
#include <windows.h>

#include <string>

namespace oruna {

inline constexpr wchar_t kLabelClassName[] = L"Oruna.Label";

// Notification codes, in the high word of WM_COMMAND's wParam.
inline constexpr WORD kLabelMouseDown = 0x0100;  // any mouse button pressed on it
inline constexpr WORD kLabelClick = 0x0101;      // left button pressed and released on it

struct LabelLook {
  COLORREF colour = RGB(0, 0, 0);
  UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;  // DrawText flags
  HFONT font = nullptr;       // the form's; the label does not delete it
  HBITMAP picture = nullptr;  // shown at the top left instead of text; the form's
  bool link = false;          // pointing-hand cursor
  int dpi = 96;               // the picture is 96-dot-per-inch art, scaled to this
};

// Creates a label as child `id` of `parent`; its text is UTF-8 and is shown
// through the wide GDI functions.
HWND CreateLabel(HWND parent, int id, const RECT& box, const std::string& text, const LabelLook& look);

void SetLabelText(HWND label, const std::string& text);
std::string LabelText(HWND label);
void SetLabelPicture(HWND label, HBITMAP picture);
HBITMAP LabelPicture(HWND label);

}  // namespace oruna
