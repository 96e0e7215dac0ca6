// Monitor covers on Windows: one black top-most pop-up per rectangle to
// cover, found from the monitor enumeration. The covers never activate, so a
// click on them leaves the keyboard with the renderer, which is made top-most
// too so that nothing stays above it.
#include <windows.h>

#include <vector>

#include "monitor_cover.h"

namespace oruna {
namespace {

const char kCoverClass[] = "OrunaCover";

struct Covers {
  HINSTANCE instance = nullptr;
  bool hide_cursor = false;
  std::vector<HWND> windows;
};
Covers covers;

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM out) {
  reinterpret_cast<std::vector<ScreenRect>*>(out)->push_back(
      {static_cast<int>(r->left), static_cast<int>(r->top), static_cast<int>(r->right - r->left),
       static_cast<int>(r->bottom - r->top)});
  return TRUE;
}

LRESULT CALLBACK CoverProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;  // a click keeps the renderer active
    case WM_SETCURSOR:
      SetCursor(covers.hide_cursor ? nullptr : LoadCursor(nullptr, IDC_ARROW));
      return TRUE;
    default: return DefWindowProcA(window, message, wparam, lparam);
  }
}

bool RegisterCoverClass() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CoverProc;
  wc.hInstance = covers.instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kCoverClass;
  return RegisterClassA(&wc) != 0;
}

void CreateCover(const ScreenRect& r) {
  const HWND w = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kCoverClass, "", WS_POPUP,
                                 r.x, r.y, r.width, r.height, nullptr, nullptr, covers.instance, nullptr);
  if (w == nullptr) return;
  ShowWindow(w, SW_SHOWNOACTIVATE);
  covers.windows.push_back(w);
}

}  // namespace

void CoverOtherMonitors(NativeWindow renderer, const ScreenRect& drawn, bool fullscreen) {
  RemoveMonitorCovers();
  covers.instance = GetModuleHandleA(nullptr);
  covers.hide_cursor = fullscreen;
  std::vector<ScreenRect> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  if (RegisterCoverClass())
    for (const ScreenRect& r : CoverRects(monitors, drawn)) CreateCover(r);
  const HWND window = reinterpret_cast<HWND>(renderer.id);
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(window);
  SetFocus(window);
}

void RemoveMonitorCovers() {
  for (HWND w : covers.windows) DestroyWindow(w);
  covers.windows.clear();
  if (covers.instance != nullptr) UnregisterClassA(kCoverClass, covers.instance);
  covers.instance = nullptr;
}

}  // namespace oruna
