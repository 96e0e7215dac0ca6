// Windows file mapping: CreateFileA for reading (shared for reading) of the
// file itself, never of what a reparse point in its place leads to; then,
// for a disk file of the user's that is no reparse point, a read-only
// mapping object and a read view of the whole file.
#include <windows.h>

#include "mapped_file.h"
#include "user_owner_win32.h"

namespace oruna {
namespace {

bool IsUsersPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
         OwnedByUser(file);
}

}  // namespace

MappedFile::MappedFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  handle_ = file;
  opened_ = true;
  LARGE_INTEGER size{};
  if (!IsUsersPlainFile(file) || !GetFileSizeEx(file, &size) || size.QuadPart <= 0) return;
  // An empty file cannot be mapped; CreateFileMappingA fails for it.
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping == nullptr) return;
  mapping_ = mapping;
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return;
  data_ = static_cast<const uint8_t*>(view);
  size_ = static_cast<size_t>(size.QuadPart);
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) UnmapViewOfFile(data_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (handle_ != nullptr) CloseHandle(handle_);
}

}  // namespace oruna
