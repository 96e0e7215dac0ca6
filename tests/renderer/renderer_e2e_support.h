// What the end-to-end tests of the real Oruna.dll share: the textures the
// saver leaves for it, the renderer started as the saver starts it, and the
// wait until its picture is on the screen.
#pragma once
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "screen_cursor_x11.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {

// Writes the four textures, 16x16 pixels of one colour each, into
// <runtime_dir>/p_orvi (made when missing), where the saver leaves them.
bool WriteTextures(const std::string& runtime_dir);

// Starts the built Oruna.dll as the saver does: without arguments, with the
// textures' runtime folder as XDG_RUNTIME_DIR and `extra` in its environment.
std::unique_ptr<ChildProcess> StartRenderer(const std::string& runtime_dir,
                                            const std::map<std::string, std::string>& extra = {});

// True once a 1024x768 picture at the screen's top-left corner shows the
// scene: its middle, where the sphere is, is no longer black.
bool WaitForPicture(X11Connection& x11);

// One renderer run as the saver starts it: a runtime folder of its own with
// the texture folder in it, the four textures written unless told not to,
// and the program started there (StartRenderer).
class RendererRun {
 public:
  explicit RendererRun(bool with_textures = true);
  bool ok() const { return ok_; }
  const std::string& runtime() const { return runtime_.path(); }
  bool WriteAllTextures() { return ok_ = WriteTextures(runtime_.path()); }
  ChildProcess& Start(const std::map<std::string, std::string>& extra = {});
  ChildProcess& process() { return *process_; }

 private:
  TempDir runtime_;
  bool ok_ = false;
  std::unique_ptr<ChildProcess> process_;
};

// The renderer on a private Xvfb of its own: the screen, the test's
// connection, the cursor shown inside the picture's area before the start,
// and one run.
class RendererOnScreenTest : public ::testing::Test {
 protected:
  explicit RendererOnScreenTest(bool with_textures = true) : run_(with_textures) {}
  // The screen `screen` (as Xvfb's -screen takes it) and the connection.
  void StartScreen(const std::string& screen);
  // Starts the run with `extra` in its environment and waits until its
  // picture shows.
  void StartAndShow(const std::map<std::string, std::string>& extra = {});
  // Escape ends the renderer with exit code 0, and its window goes.
  void EndWithEscape();

  std::unique_ptr<XvfbServer> xvfb_;
  std::unique_ptr<X11Connection> x11_;
  std::unique_ptr<ScreenCursor> cursor_;
  RendererRun run_;
};

}  // namespace oruna::test
