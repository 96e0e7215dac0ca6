#include "renderer_e2e_support.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <vector>

#include "bmp_writer.h"

namespace oruna::test {

bool WriteTextures(const std::string& runtime_dir) {
  const std::string dir = runtime_dir + "/p_orvi";
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  const uint32_t colours[] = {0xFFC040, 0x203080, 0xE06020, 0xFFFFFF};
  for (int i = 0; i < 4; ++i)
    if (!WriteSolidBitmap(dir + "/Oruna" + std::to_string(i + 1) + ".bmp", 16, 16, colours[i])) return false;
  return true;
}

std::unique_ptr<ChildProcess> StartRenderer(const std::string& runtime_dir,
                                            const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> env = extra;
  env["XDG_RUNTIME_DIR"] = runtime_dir;
  return std::make_unique<ChildProcess>(std::vector<std::string>{BinaryDir() + "/Oruna.dll"}, env);
}

bool WaitForPicture(X11Connection& x11) {
  return WaitUntil([&] {
    for (uint32_t pixel : x11.Grab(480, 352, 64, 64))
      if (pixel != 0) return true;
    return false;
  }, std::chrono::seconds(20));
}

}  // namespace oruna::test
