// The display and lock notifications of the renderer's window.
#include "dark_screen_win32.h"

#include <wtsapi32.h>

namespace oruna {
namespace {

// GUID_CONSOLE_DISPLAY_STATE, spelt out: MinGW declares it without a
// definition to link against.
constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
// Its data: 0 off, 1 on, 2 dimmed.
constexpr DWORD kDisplayOff = 0;

}  // namespace

void DarkScreenWatch::Start(HWND window) {
  display_notification_ = RegisterPowerSettingNotification(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  session_registered_ = WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION) != FALSE;
}

void DarkScreenWatch::Stop(HWND window) {
  if (display_notification_ != nullptr) UnregisterPowerSettingNotification(display_notification_);
  display_notification_ = nullptr;
  if (session_registered_) WTSUnRegisterSessionNotification(window);
  session_registered_ = false;
  display_off_ = session_locked_ = false;
}

void DarkScreenWatch::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_POWERBROADCAST && wparam == PBT_POWERSETTINGCHANGE && lparam != 0) {
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam);
    if (IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) && setting->DataLength >= sizeof(DWORD)) {
      DWORD state = 0;
      CopyMemory(&state, setting->Data, sizeof state);
      display_off_ = state == kDisplayOff;
    }
  } else if (message == WM_WTSSESSION_CHANGE) {
    if (wparam == WTS_SESSION_LOCK) session_locked_ = true;
    if (wparam == WTS_SESSION_UNLOCK) session_locked_ = false;
  }
}

}  // namespace oruna
