// A whole file mapped read-only into memory for the life of the object.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace oruna {

class MappedFile {
 public:
  explicit MappedFile(const std::string& path);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False when the file could not be opened, mapped or viewed (an empty file
  // cannot be mapped either).
  bool ok() const { return data_ != nullptr; }
  std::span<const uint8_t> bytes() const { return {data_, size_}; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  // Platform handles, kept opaque here: on Windows the file and the mapping
  // object; POSIX keeps only the mapped view in mapping_.
  [[maybe_unused]] void* handle_ = nullptr;
  void* mapping_ = nullptr;
};

}  // namespace oruna
