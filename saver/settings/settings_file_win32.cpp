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

// A new file can be made in the file's folder: a probe beside it, deleted as
// it is closed.
bool FolderTakesNewFiles(const std::string& file) {
  const std::string probe = file + ".probe-" + std::to_string(GetCurrentProcessId());
  HANDLE handle = CreateFileW(WideFromUtf8(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}

// A save replaces the file: it writes a new file beside it and moves that
// over it. So the file can be saved when its folder takes new files and, if
// it exists, it opens for writing itself; a writable file in a folder we
// cannot write would fail every save.
bool CanWrite(const std::string& file) {
  const DWORD attributes = GetFileAttributesW(WideFromUtf8(file).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;
    HANDLE handle = OpenExistingFile(file, GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
  }
  return FolderTakesNewFiles(file);
}

// Creates the folder and its missing parents.
void MakeFolders(const std::string& folder) {
  if (folder.empty() || folder.back() == ':' || Exists(folder)) return;
  MakeFolders(WindowsFolderOf(folder));
  CreateDirectoryW(WideFromUtf8(folder).c_str(), nullptr);
}

// The system's words for an error code, in the user's language, without
// the line break that ends them.
std::string ErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n > 0 && buffer != nullptr ? std::wstring(buffer, n) : std::wstring();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "error " + std::to_string(error);
  return Utf8FromWide(text);
}

bool WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(text.size() - done);
    if (!::WriteFile(file, text.data() + done, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);  // no progress and no error: the disk takes no more
      return false;
    }
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

FileRead ReadTextFile(const std::string& path, std::string& text, std::string* reason) {
  text.clear();
  if (!Exists(path)) return FileRead::Missing;
  DWORD error = ERROR_SUCCESS;
  HANDLE file = OpenExistingFile(path, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_ACCESS_DENIED;  // a folder or a device
  } else {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
      error = GetLastError();
    } else if (size.QuadPart > kLargestSettingsFile) {
      error = ERROR_FILE_TOO_LARGE;
    } else {
      text.resize(static_cast<size_t>(size.QuadPart));
      DWORD read = 0;
      if (!text.empty() && !ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr))
        error = GetLastError();
      else if (read != text.size())
        error = ERROR_HANDLE_EOF;
    }
    CloseHandle(file);
  }
  if (error == ERROR_SUCCESS) return FileRead::Ok;
  text.clear();
  if (reason != nullptr) *reason = ErrorText(error);
  return FileRead::Failed;
}

std::string UnstorableTextReason() { return ErrorText(ERROR_NO_UNICODE_TRANSLATION); }

WriteOutcome ReplaceTextFile(const std::string& path, const std::string& text) {
  const std::wstring target = WideFromUtf8(path);
  const DWORD old_attributes = GetFileAttributesW(target.c_str());
  const bool existed = old_attributes != INVALID_FILE_ATTRIBUTES;
  // A read-only file stays as it is, as a write into it in place would fail.
  if (existed && !CanWrite(path)) return {false, ErrorText(ERROR_ACCESS_DENIED)};
  MakeFolders(WindowsFolderOf(path));

  const std::wstring temp = WideFromUtf8(path + ".tmp-" + std::to_string(GetCurrentProcessId()));
  DeleteFileW(temp.c_str());  // a leftover of a crashed earlier write
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {false, ErrorText(GetLastError())};
  // The first error is the one the user hears of; later steps only clean up.
  DWORD error = WriteAll(file, text) && FlushFileBuffers(file) ? ERROR_SUCCESS : GetLastError();
  if (!CloseHandle(file) && error == ERROR_SUCCESS) error = GetLastError();
  if (error == ERROR_SUCCESS &&
      !MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = GetLastError();
  if (error != ERROR_SUCCESS) {
    DeleteFileW(temp.c_str());
    return {false, ErrorText(error)};
  }
  // The replacement keeps the old file's attributes (hidden, archive, ...).
  if (existed) SetFileAttributesW(target.c_str(), old_attributes);
  return {};
}

}  // namespace oruna
