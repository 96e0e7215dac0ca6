// Settings file on POSIX systems: the program folder from /proc/self/exe,
// the user's configuration folder from the XDG rules, "/" paths, and whole-
// file reads and atomic replacement with plain system calls.
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings_file.h"
#include "settings_file_internal.h"

namespace oruna {

// The Windows reply buffer holds 256 bytes, too short for real paths here:
// a music file path may be as long as the system allows (PATH_MAX, 4096).
const size_t kIniReplyBufferBytes = PATH_MAX;

namespace {

constexpr off_t kLargestSettingsFile = 16 << 20;  // far beyond any real one

// "/" is the only separator; "\" and ":" are ordinary file-name characters.
// A file in the root folder gives "/", not an empty folder.
std::string PosixFolderOf(const std::string& path) {
  std::string folder = FolderOfPath(path, "/", '/');
  if (folder.empty() && !path.empty() && path.front() == '/') folder = "/";
  return folder;
}

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (IsAbsolute(home)) return home;
  const passwd* entry = getpwuid(getuid());
  if (entry != nullptr && IsAbsolute(entry->pw_dir)) return entry->pw_dir;
  return "";
}

bool FolderTakesNewFiles(const std::string& file) {
  const std::string folder = PosixFolderOf(file);
  return access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

// A save replaces the file: it writes a new file beside it and renames that
// over it (beside the file a link names, when it is one). So the file can be
// saved when its folder takes new files and, if it exists, it is writable
// itself; a writable file in a folder we cannot write would fail every save.
bool CanWrite(const std::string& file) {
  struct stat info;
  if (stat(file.c_str(), &info) != 0) return FolderTakesNewFiles(file);
  char* resolved = realpath(file.c_str(), nullptr);
  const std::string target = resolved != nullptr ? resolved : file;
  std::free(resolved);
  return access(target.c_str(), W_OK) == 0 && FolderTakesNewFiles(target);
}

// Creates the folder and its missing parents; new ones are private to the user.
void MakeFolders(const std::string& folder) {
  if (folder.empty() || folder == "/") return;
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return;
  MakeFolders(PosixFolderOf(folder));
  mkdir(folder.c_str(), 0700);
}

// The system's words for an error number, in the user's language.
std::string ErrorText(int error) { return std::strerror(error); }

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;  // no progress and no error: the disk takes no more
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  return PosixFolderOf(std::string(buffer, static_cast<size_t>(n)));
}

bool File_Exists(const std::string& path) {
  std::string file = path;
  if (!file.empty() && file.back() == '/') file.pop_back();
  if (file.empty()) return false;
  // Non-blocking, so that a FIFO planted under the name cannot stall the
  // start; only a regular file counts, as a folder does not on Windows.
  const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  close(fd);
  return regular;
}

std::string File_Dir(const std::string& path) { return PosixFolderOf(path); }

std::string UserSettingsFile() {
  const char* config_home = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (IsAbsolute(config_home)) {
    folder = config_home;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return "";
    folder = home + "/.config";
  }
  return folder + "/oruna/Oruna.ini";
}

SettingsFiles FindSettingsFiles(const std::string& program_folder) {
  const std::string program_file = program_folder + "/Oruna.ini";
  const std::string user_file = UserSettingsFile();
  return ChooseSettingsFiles(program_file, CanWrite(program_file), user_file,
                             !user_file.empty() && File_Exists(user_file));
}

FileRead ReadTextFile(const std::string& path, std::string& text, std::string* reason) {
  text.clear();
  auto fail = [&](int error) {
    if (reason != nullptr) *reason = ErrorText(error);
    return FileRead::Failed;
  };
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Missing : fail(errno);
  struct stat info;
  int error = 0;
  if (fstat(fd, &info) != 0) {
    error = errno;
  } else if (!S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  } else if (info.st_size > kLargestSettingsFile) {
    error = EFBIG;
  } else {
    char buffer[8192];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error = errno;
      if (n <= 0) break;
      text.append(buffer, static_cast<size_t>(n));
      if (text.size() > static_cast<size_t>(kLargestSettingsFile)) {
        error = EFBIG;
        break;
      }
    }
  }
  close(fd);
  if (error == 0) return FileRead::Ok;
  text.clear();
  return fail(error);
}

std::string UnstorableTextReason() { return ErrorText(EILSEQ); }

WriteOutcome ReplaceTextFile(const std::string& path, const std::string& text) {
  // Write through a link to the file it names, so the link stays a link.
  std::string target = path;
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    target = resolved;
    std::free(resolved);
  }
  struct stat old_info;
  const bool existed = stat(target.c_str(), &old_info) == 0;
  // A read-only file stays as it is, as a write into it in place would fail.
  if (existed && access(target.c_str(), W_OK) != 0) return {false, ErrorText(errno)};
  MakeFolders(PosixFolderOf(target));

  const std::string temp = target + ".tmp-" + std::to_string(getpid());
  unlink(temp.c_str());  // a leftover of a crashed earlier write
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return {false, ErrorText(errno)};
  // The first error is the one the user hears of; later steps only clean up.
  int error = WriteAll(fd, text) ? 0 : errno;
  if (error == 0 && existed) fchmod(fd, old_info.st_mode & 07777);
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error == 0) return {};
  unlink(temp.c_str());
  return {false, ErrorText(error)};
}

}  // namespace oruna
