// The Windows renderer's CPU use while the picture is seen and while it is
// not: Oruna.scr /s from this program's folder, then the CPU time of
// Oruna.dll over `seconds` each with the display on, reported off (a
// simulated GUID_CONSOLE_DISPLAY_STATE notification), on again, and with the
// session reported locked. Run under Wine by bench/renderer_dark_wine.sh.
// Wine's GetProcessTimes knows no other process's times, so the CPU time is
// that of the renderer's Linux process (/proc/<pid>/stat: user + system, in
// clock ticks of 1/100 s), found by its command line (the renderer's path)
// and read through Wine's Z: drive.
//   renderer_dark_bench.exe [seconds]
#include <windows.h>
#include <wtsapi32.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "wine_test_util.h"

namespace {

using namespace std::chrono_literals;

// The Linux process whose command line is `program` alone; "" if none.
std::string LinuxProcessOf(const std::string& program) {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
  if (search == INVALID_HANDLE_VALUE) return "";
  std::string found;
  do {
    const std::string pid = entry.cFileName;
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    // (Wine pads the command line it rewrote with NULs.)
    if (oruna::test::ReadBytes("Z:\\proc\\" + pid + "\\cmdline").rfind(program + '\0', 0) == 0) found = pid;
  } while (found.empty() && FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

// User + system time of a Linux process, in seconds.
double CpuSeconds(const std::string& pid) {
  const std::string stat = oruna::test::ReadBytes("Z:\\proc\\" + pid + "\\stat");
  const size_t name_end = stat.rfind(')');
  if (name_end == std::string::npos) return 0;
  std::istringstream fields(stat.substr(name_end + 1));
  std::string field;
  double ticks = 0;
  // The fields after the name start with the third; utime and stime are the
  // 14th and 15th.
  for (int number = 3; number <= 15 && fields >> field; ++number)
    if (number >= 14) ticks += std::atof(field.c_str());
  return ticks / 100.0;
}

// Percent of one core the process used over `seconds`.
double CpuPercent(const std::string& pid, int seconds) {
  const double before = CpuSeconds(pid);
  const ULONGLONG start = GetTickCount64();
  Sleep(static_cast<DWORD>(seconds * 1000));
  const double used = CpuSeconds(pid) - before;
  return 100.0 * used / (static_cast<double>(GetTickCount64() - start) / 1000.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, n);
  folder.resize(folder.find_last_of(L'\\'));
  char command[MAX_PATH * 3 + 8];
  WideCharToMultiByte(CP_UTF8, 0, (L"\"" + folder + L"\\Oruna.scr\" /s").c_str(), -1, command, sizeof command,
                      nullptr, nullptr);

  oruna::test::WinProcess saver(command);
  const HWND renderer = oruna::test::WaitForWindow("Oruna_VC", 30s);
  if (renderer == nullptr) {
    std::fprintf(stderr, "no renderer window\n");
    return 1;
  }
  char renderer_path[MAX_PATH * 3];
  WideCharToMultiByte(CP_UTF8, 0, (folder + L"\\Oruna.dll").c_str(), -1, renderer_path, sizeof renderer_path,
                      nullptr, nullptr);
  const std::string pid = LinuxProcessOf(renderer_path);
  if (pid.empty()) {
    std::fprintf(stderr, "no Linux process runs %s\n", renderer_path);
    return 1;
  }
  Sleep(2000);  // the start's work is not measured

  std::printf("CPU of Oruna.dll, percent of one core over %d s each:\n", seconds);
  std::printf("  display on          %6.1f\n", CpuPercent(pid, seconds));
  oruna::test::SendDisplayState(renderer, 0);
  Sleep(500);
  std::printf("  display off         %6.1f\n", CpuPercent(pid, seconds));
  oruna::test::SendDisplayState(renderer, 1);
  Sleep(500);
  std::printf("  display on again    %6.1f\n", CpuPercent(pid, seconds));
  SendMessageA(renderer, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
  Sleep(500);
  std::printf("  session locked      %6.1f\n", CpuPercent(pid, seconds));
  SendMessageA(renderer, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);

  PostMessageA(renderer, WM_CLOSE, 0, 0);
  saver.Wait(15s);
  return 0;
}
