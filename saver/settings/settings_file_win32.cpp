// Settings file on Windows: the program folder from GetModuleFileNameW,
// "\" and ":" as path separators, the user's own file under %APPDATA%, and
// whole-file reads and atomic replacement with the wide file functions (the
// paths are UTF-8 in memory; the file's contents are in the ANSI code page).
#include <windows.h>

#include <string>

#include "settings_file.h"
#include "settings_file_internal.h"
#include "wide_text_win32.h"

namespace oruna {

// The reply buffer holds any path the ANSI functions accept: MAX_PATH bytes,
// the closing NUL included.
const size_t kIniReplyBufferBytes = MAX_PATH;

namespace {

constexpr LONGLONG kLargestSettingsFile = 16 << 20;  // far beyond any real one

std::string WindowsFolderOf(const std::string& path) { return FolderOfPath(path, ":\\", '\\'); }

// A handle on an existing regular file (not a folder, device or pipe), or
// INVALID_HANDLE_VALUE.
HANDLE OpenExistingFile(const std::string& path, DWORD access) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file can be written when it exists and opens for writing, or when it is
// missing and a file can be created in its folder.
bool CanWrite(const std::string& file) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(file).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;
    HANDLE handle = OpenExistingFile(file, GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
  }
  const std::string probe = file + ".probe-" + std::to_string(GetCurrentProcessId());
  HANDLE handle = CreateFileW(WideFromUtf8(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

// Creates the folder and its missing parents.
void MakeFolders(const std::string& folder) {
  if (folder.empty() || folder.back() == ':' || Exists(folder)) return;
  MakeFolders(WindowsFolderOf(folder));
  CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr);
}

bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(text.size() - done);
    if (!::WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

std::string ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return WindowsFolderOf(Utf8FromWide(path));
}

bool File_Exists(const std::string& path) {
  std::string file = path;
  if (!file.empty() && file.back() == '\\') file.pop_back();
  if (file.empty()) return false;
  // Opening a folder fails, and so does a file locked against reading.
  HANDLE handle = OpenExistingFile(file, GENERIC_READ);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

std::string File_Dir(const std::string& path) { return WindowsFolderOf(path); }

std::string UserSettingsFile() {
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  return Utf8FromWide(std::wstring_view(buffer, n)) + "\\Oruna\\Oruna.ini";
}

SettingsFiles FindSettingsFiles(const std::string& program_folder) {
  const std::string program_file = program_folder + "\\Oruna.ini";
  const std::string user_file = UserSettingsFile();
  return ChooseSettingsFiles(program_file, CanWrite(program_file), user_file,
                             !user_file.empty() && File_Exists(user_file));
}

FileRead ReadTextFile(const std::string& path, std::string& text) {
  text.clear();
  if (!Exists(path)) return FileRead::Missing;
  HANDLE file = OpenExistingFile(path, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) return FileRead::Failed;
  FileRead result = FileRead::Ok;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart > kLargestSettingsFile) {
    result = FileRead::Failed;
  } else {
    text.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!text.empty() && (!ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
                          read != text.size())) {
      result = FileRead::Failed;
    }
  }
  CloseHandle(file);
  if (result != FileRead::Ok) text.clear();
  return result;
}

bool ReplaceTextFile(const std::string& path, const std::string& text) {
  const std::wstring target = WideFromUtf8(path);
  const DWORD old_attributes = GetFileAttributesW(target.c_str());
  const bool existed = old_attributes != INVALID_FILE_ATTRIBUTES;
  // A read-only file stays as it is, as a write into it in place would fail.
  if (existed && !CanWrite(path)) return false;
  MakeFolders(WindowsFolderOf(path));

  const std::wstring temp = WideFromUtf8(path + ".tmp-" + std::to_string(GetCurrentProcessId()));
  DeleteFileW(temp.c_str());  // a leftover of a crashed earlier write
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = WriteAll(file, text) && FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  ok = ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) {
    DeleteFileW(temp.c_str());
    return false;
  }
  // The replacement keeps the old file's attributes (hidden, archive, ...).
  if (existed) SetFileAttributesW(target.c_str(), old_attributes);
  return true;
}

}  // namespace oruna
