// The file and folder helpers of test_support.h on Windows. The process and
// display helpers (ChildProcess, XvfbServer) are POSIX only; the Windows
// tests use wine_test_util.h instead.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "test_support.h"

namespace oruna::test {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TempDir::TempDir() {
  char base[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof base, base);
  std::string folder = n > 0 && n < sizeof base ? std::string(base, n) : std::string("C:\\");
  if (folder.back() != '\\') folder += '\\';
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate = folder + "oruna-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The test programs are built into the same folder as Oruna.scr and Oruna.dll.
std::string BinaryDir() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string self(path, n);
  const size_t cut = self.find_last_of("\\/");
  return cut == std::string::npos ? "." : self.substr(0, cut);
}

}  // namespace oruna::test
