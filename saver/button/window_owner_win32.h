// The object behind a window of our own classes: handed over with the
// creation data (lpCreateParams) and kept in the window's user data, so that
// a static window procedure can forward each message to its object.
#pragma once
#include <windows.h>

namespace oruna {

// Call first thing in the window procedure. On WM_NCCREATE it stores the
// object from the creation data; it returns the stored object, or null for
// the few messages that come before WM_NCCREATE (and after detaching).
template <typename T>
T* WindowOwner(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace oruna
