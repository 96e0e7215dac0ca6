// Whether anyone can see the renderer's picture on Windows: not while the
// console display is off (a laptop's lid, the power plan's display time-out)
// or while the session is locked. The loop waits for messages instead of
// drawing while the screen is dark, which keeps a saver that runs all night
// from draining the battery.
// Limits: the notifications come to one window; only the console display
// and this session's lock are watched (a dimmed display still draws).
// Depends on: Win32 (RegisterPowerSettingNotification, wtsapi32).
#pragma once
#include <windows.h>

namespace oruna {

class DarkScreenWatch {
 public:
  // Asks Windows to tell `window` of display and lock changes. Windows
  // answers the display registration at once with the display's state.
  void Start(HWND window);
  void Stop(HWND window);

  // Takes WM_POWERBROADCAST and WM_WTSSESSION_CHANGE; other messages change
  // nothing.
  void OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  bool dark() const { return display_off_ || session_locked_; }

 private:
  HPOWERNOTIFY display_notification_ = nullptr;
  bool session_registered_ = false;
  bool display_off_ = false;
  bool session_locked_ = false;
};

}  // namespace oruna
