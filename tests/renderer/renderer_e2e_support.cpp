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

RendererRun::RendererRun(bool with_textures) {
  const std::string dir = runtime_.path() + "/p_orvi";
  ok_ = !runtime_.path().empty() && mkdir(dir.c_str(), 0700) == 0;
  if (ok_ && with_textures) WriteAllTextures();
}

ChildProcess& RendererRun::Start(const std::map<std::string, std::string>& extra) {
  process_ = StartRenderer(runtime_.path(), extra);
  return *process_;
}

void RendererOnScreenTest::StartScreen(const std::string& screen) {
  xvfb_ = std::make_unique<XvfbServer>(screen);
  ASSERT_TRUE(xvfb_->ok());
  x11_ = std::make_unique<X11Connection>();
  ASSERT_TRUE(x11_->ok());
  cursor_ = std::make_unique<ScreenCursor>(x11_->get(), xvfb_->framebuffer_file());
  ASSERT_TRUE(cursor_->ShowPlainCursorAt(200, 150, std::chrono::seconds(5)))
      << "the cursor shows before the renderer starts";
  ASSERT_TRUE(run_.ok());
}

void RendererOnScreenTest::StartAndShow(const std::map<std::string, std::string>& extra) {
  run_.Start(extra);
  ASSERT_TRUE(x11_->WaitForWindow("Oruna_VC", std::chrono::seconds(20)));
  ASSERT_TRUE(WaitForPicture(*x11_));
}

void RendererOnScreenTest::EndWithEscape() {
  x11_->TapKey("Escape");  // press and release before the next idle pass
  EXPECT_EQ(run_.process().Wait(std::chrono::seconds(5)), 0);
  EXPECT_TRUE(x11_->WaitForWindowGone("Oruna_VC", std::chrono::seconds(5)));
}

}  // namespace oruna::test
