// File replacement on Windows: the bytes go into a new temporary file in the
// same folder (CREATE_NEW, so no existing file is ever opened), which then
// replaces the target with MoveFileExA in one step; a reader sees the old
// file or the new one, never half of one.
#include <windows.h>

#include <algorithm>
#include <string>

#include "file_replace.h"

namespace oruna {
namespace {

bool WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::vector<uint8_t>& bytes) {
  const size_t cut = path.find_last_of("\\/");
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  if (name.empty()) return false;
  const std::string prefix = path.substr(0, path.size() - name.size());

  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = prefix + "~" + name + "." + std::to_string(GetCurrentProcessId()) + "." +
                             std::to_string(++counter) + ".tmp";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    const bool written = WriteAll(file, bytes);
    const bool closed = CloseHandle(file) != 0;
    if (written && closed &&
        MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    DeleteFileA(temp.c_str());
    return false;
  }
  return false;
}

}  // namespace oruna
