// A whole file mapped read-only into memory for the life of the object. The
// file is opened without following a link and without blocking (a FIFO
// planted under its name is no file), and only a regular file of the user's
// own is mapped.
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

  // False when nothing could be opened under the path: no such file, or one
  // that may not be read (a link in the file's place counts as one).
  bool opened() const { return opened_; }
  // False when the file could not be opened, mapped or viewed: an empty file
  // cannot be mapped, and nothing but a regular file of the user's is.
  bool ok() const { return data_ != nullptr; }
  std::span<const uint8_t> bytes() const { return {data_, size_}; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool opened_ = false;
  // Platform handles, kept opaque here: on Windows the file and the mapping
  // object; POSIX keeps only the mapped view in mapping_.
  [[maybe_unused]] void* handle_ = nullptr;
  void* mapping_ = nullptr;
};

}  // namespace oruna
