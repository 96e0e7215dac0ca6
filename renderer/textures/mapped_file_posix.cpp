// POSIX file mapping: open without following a link and without blocking,
// fstat, and a read-only private mmap of the whole file when it is a regular
// file of the effective user's. The descriptor is closed at once; the
// mapping keeps the data.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mapped_file.h"

namespace oruna {

MappedFile::MappedFile(const std::string& path) {
  // O_NONBLOCK: a FIFO would otherwise hold the open until someone writes.
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  opened_ = true;
  struct stat st;
  // An empty file has nothing to map; a directory, device or FIFO is no
  // bitmap, nor is a file someone else put there.
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_size > 0) {
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
