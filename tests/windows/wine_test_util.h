// Helpers for the Windows tests under Wine: processes started by command
// line, windows looked up by title, files and folders with UTF-8 names (the
// wide API underneath), Unix programs run from inside Wine (xdotool), the
// shared test folder that wine_prefix.sh prepares, Wine's relay trace of
// chosen functions, and the system notifications a window can be sent.
#pragma once
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace oruna::test {

using std::chrono::milliseconds;

// A program started with CreateProcessW; terminated by the destructor if it
// still runs.
class WinProcess {
 public:
  // `command_line` is UTF-8; `environment` adds to (or replaces in) this
  // process's environment.
  explicit WinProcess(const std::string& command_line, const std::map<std::string, std::string>& environment = {});
  ~WinProcess();
  WinProcess(const WinProcess&) = delete;
  WinProcess& operator=(const WinProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  DWORD id() const { return id_; }
  // The exit code once the process has ended within `timeout`.
  std::optional<DWORD> Wait(milliseconds timeout);
  bool Running();

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Waits for a top-level window titled `title`, pumping this thread's
// messages meanwhile; null on time-out.
HWND WaitForWindow(const char* title, milliseconds timeout);
// Polls `condition` every 20 ms, pumping this thread's messages.
template <typename F>
bool WaitFor(F condition, milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(20);
  }
}
// Number of top-level windows titled exactly `title`, hidden ones included.
int CountWindowsTitled(const char* title);

// Ids of the running processes whose program file is `exe_name` (any case).
std::vector<DWORD> ProcessesNamed(const std::string& exe_name);
void TerminateProcessesNamed(const std::string& exe_name);

// Runs a Unix command line (for example "/usr/bin/xdotool key Escape") and
// waits for it; its exit code, or -1 when it did not end in time.
int RunUnixProgram(const std::string& command_line, milliseconds timeout = milliseconds(10000));
// A real key press on the X server (xdotool's key names: "Escape").
bool PressKey(const std::string& key);

// Files with UTF-8 names.
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool MakeFolder(const std::string& path);
bool PathExists(const std::string& path);
bool CopyInto(const std::string& from, const std::string& to);

// The Windows form (Z:\...) of a Unix path.
std::string WindowsPathOfUnix(const std::string& unix_path);
// A file of the test media folder prepared by wine_prefix.sh.
std::string MediaFile(const std::string& name);

// The session's captured standard error (wine_session.sh --capture-stderr),
// where Wine writes its debug channels; "" outside such a session.
std::string SessionStderrPath();

// Wine's relay trace (WINEDEBUG=+relay) limited to `functions`
// ("user32.AllowSetForegroundWindow;winmm.PlaySoundA") for the processes
// started while it exists; the prefix's earlier setting comes back after.
class RelayInclude {
 public:
  explicit RelayInclude(const std::string& functions);
  ~RelayInclude();
  RelayInclude(const RelayInclude&) = delete;
  RelayInclude& operator=(const RelayInclude&) = delete;

 private:
  std::optional<std::wstring> previous_;
};
// The argument lists of the calls of `function` ("gdi32.SwapBuffers") in a
// relay trace, in order, as Wine prints them (hexadecimal, comma-separated).
std::vector<std::string> RelayCalls(const std::string& trace, const std::string& function);

// Sends `window` what Windows sends on a change of the console display's
// state (0 off, 1 on, 2 dimmed): WM_POWERBROADCAST with a setting that lives
// in the window's own process, as the system's does.
bool SendDisplayState(HWND window, DWORD state);

}  // namespace oruna::test
