// POSIX file mapping: open, fstat and a read-only private mmap of the whole
// regular file. The descriptor is closed at once; the mapping keeps the data.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mapped_file.h"

namespace oruna {

MappedFile::MappedFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  // An empty file has nothing to map; a directory or device is no bitmap.
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    const size_t size = static_cast<size_t>(st.st_size);
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (view != MAP_FAILED) {
      mapping_ = view;
      data_ = static_cast<const uint8_t*>(view);
      size_ = size;
    }
  }
  close(fd);
}

MappedFile::~MappedFile() {
  if (mapping_) munmap(mapping_, size_);
}

}  // namespace oruna
