// Stands in for a program that the saver starts: writes the argument text it
// was given into "arguments.txt" beside itself, stays for 300 ms and ends.
#include <windows.h>

#include <string>

#include "command_line_win32.h"
#include "wide_text_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, n);
  folder.resize(folder.find_last_of(L'\\') + 1);
  const std::string arguments = oruna::ProgramArgumentText();
  HANDLE file = CreateFileW((folder + L"arguments.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, arguments.data(), static_cast<DWORD>(arguments.size()), &written, nullptr);
    CloseHandle(file);
  }
  Sleep(300);
  return 0;
}
