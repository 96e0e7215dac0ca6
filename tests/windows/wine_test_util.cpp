#include "wine_test_util.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

#include "wide_text_win32.h"

namespace oruna::test {
namespace {

// This process's environment with `changes` applied, as a UTF-16 block.
std::wstring EnvironmentBlock(const std::map<std::string, std::string>& changes) {
  std::map<std::wstring, std::wstring> variables;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text = entry;
    const size_t equals = text.find(L'=', 1);  // "=C:" entries start with "="
    if (equals == std::wstring::npos) continue;
    variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  FreeEnvironmentStringsW(block);
  for (const auto& [name, value] : changes) variables[WideFromUtf8(name)] = WideFromUtf8(value);
  std::wstring result;
  for (const auto& [name, value] : variables) result += name + L"=" + value + L'\0';
  result += L'\0';
  return result;
}

}  // namespace

WinProcess::WinProcess(const std::string& command_line, const std::map<std::string, std::string>& environment) {
  std::wstring command = WideFromUtf8(command_line);
  // Without changes the program inherits this environment as it is (Wine
  // hands it to Unix programs only then).
  std::wstring block = environment.empty() ? std::wstring() : EnvironmentBlock(environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      block.empty() ? nullptr : block.data(), nullptr, &startup, &info))
    return;
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
}

WinProcess::~WinProcess() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

std::optional<DWORD> WinProcess::Wait(milliseconds timeout) {
  if (process_ == nullptr) return std::nullopt;
  const bool ended = WaitFor([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeout);
  if (!ended) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

bool WinProcess::Running() { return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

HWND WaitForWindow(const char* title, milliseconds timeout) {
  HWND window = nullptr;
  WaitFor([&] { return (window = FindWindowA(nullptr, title)) != nullptr; }, timeout);
  return window;
}

int CountWindowsTitled(const char* title) {
  struct Search {
    const char* title;
    int count;
  } search{title, 0};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        if (std::string(text) == s->title) ++s->count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.count;
}

std::vector<DWORD> ProcessesNamed(const std::string& exe_name) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (_stricmp(entry.szExeFile, exe_name.c_str()) == 0) ids.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return ids;
}

void TerminateProcessesNamed(const std::string& exe_name) {
  for (DWORD id : ProcessesNamed(exe_name)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr) continue;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

int RunUnixProgram(const std::string& command_line, milliseconds timeout) {
  // Wine starts a Unix program given by its Unix path like a Windows one,
  // but gives no process handle to wait on: a shell runs the command and
  // leaves its exit code in a file, which is waited for.
  static unsigned counter = 0;
  const std::string marker = "/tmp/oruna-unix-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++counter) + ".status";
  // Wine splits the command line by the Windows rules: one double-quoted
  // argument for the shell, inner quotes escaped.
  std::string script = command_line + "; echo $? > " + marker + ".part && mv " + marker + ".part " + marker;
  std::string quoted;
  for (char c : script) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  std::string command = "/bin/sh -c \"" + quoted + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return -1;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  const std::string status_file = WindowsPathOfUnix(marker);
  if (!WaitFor([&] { return PathExists(status_file); }, timeout)) return -1;
  const std::string status = ReadBytes(status_file);
  DeleteFileA(status_file.c_str());
  return status.empty() ? -1 : std::atoi(status.c_str());
}

bool PressKey(const std::string& key) { return RunUnixProgram("/usr/bin/xdotool key " + key) == 0; }

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                              nullptr) &&
                                    written == bytes.size());
  CloseHandle(file);
  return ok;
}

std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD n = 0;
  while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  CloseHandle(file);
  return bytes;
}

bool MakeFolder(const std::string& path) { return CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr) != 0; }

bool PathExists(const std::string& path) {
  return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyInto(const std::string& from, const std::string& to) {
  return CopyFileW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(), FALSE) != 0;
}

std::string WindowsPathOfUnix(const std::string& unix_path) {
  std::string path = "Z:" + unix_path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string MediaFile(const std::string& name) {
  const char* wine_dir = std::getenv("ORUNA_WINE_DIR");
  return WindowsPathOfUnix(std::string(wine_dir != nullptr ? wine_dir : "/nonexistent") + "/media/" + name);
}

}  // namespace oruna::test

namespace oruna::test {

std::string SessionStderrPath() {
  const char* path = std::getenv("ORUNA_SESSION_STDERR");
  return path != nullptr ? WindowsPathOfUnix(path) : std::string();
}

namespace {
const wchar_t kWineDebugKey[] = L"Software\\Wine\\Debug";
const wchar_t kRelayInclude[] = L"RelayInclude";
}  // namespace

RelayInclude::RelayInclude(const std::string& functions) {
  wchar_t old[4096];
  DWORD size = sizeof old;
  if (RegGetValueW(HKEY_CURRENT_USER, kWineDebugKey, kRelayInclude, RRF_RT_REG_SZ, nullptr, old, &size) ==
      ERROR_SUCCESS)
    previous_ = old;
  const std::wstring value = WideFromUtf8(functions);
  RegSetKeyValueW(HKEY_CURRENT_USER, kWineDebugKey, kRelayInclude, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

RelayInclude::~RelayInclude() {
  if (previous_) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kWineDebugKey, kRelayInclude, REG_SZ, previous_->c_str(),
                    static_cast<DWORD>((previous_->size() + 1) * sizeof(wchar_t)));
  } else {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kWineDebugKey, kRelayInclude);
  }
}

std::vector<std::string> RelayCalls(const std::string& trace, const std::string& function) {
  // "0104:Call user32.AllowSetForegroundWindow(00000120) ret=14000a1b2"
  const std::string call = ":Call " + function + "(";
  std::vector<std::string> arguments;
  for (size_t at = trace.find(call); at != std::string::npos; at = trace.find(call, at + 1)) {
    const size_t begin = at + call.size();
    const size_t end = trace.find(')', begin);
    if (end == std::string::npos) break;
    arguments.push_back(trace.substr(begin, end - begin));
  }
  return arguments;
}

bool SendDisplayState(HWND window, DWORD state) {
  // GUID_CONSOLE_DISPLAY_STATE
  constexpr GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process_id);
  if (process == nullptr) return false;
  // POWERBROADCAST_SETTING with its one DWORD of data.
  unsigned char setting[sizeof(GUID) + 2 * sizeof(DWORD)] = {};
  const DWORD length = sizeof state;
  memcpy(setting, &kConsoleDisplayState, sizeof(GUID));
  memcpy(setting + sizeof(GUID), &length, sizeof length);
  memcpy(setting + sizeof(GUID) + sizeof length, &state, sizeof state);
  void* remote = VirtualAllocEx(process, nullptr, sizeof setting, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool sent = false;
  if (remote != nullptr && WriteProcessMemory(process, remote, setting, sizeof setting, nullptr)) {
    DWORD_PTR result = 0;
    sent = SendMessageTimeoutW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(remote),
                               SMTO_ABORTIFHUNG, 5000, &result) != 0;
  }
  // Left allocated: the renderer ends with the test anyway, and a setting
  // freed under a message still queued would be read after its end.
  CloseHandle(process);
  return sent;
}

}  // namespace oruna::test
