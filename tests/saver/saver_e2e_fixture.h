// What the end-to-end tests of Oruna.scr share: a private Xvfb and a fresh
// folder per test holding a copy of the program (program/) and the runtime
// and home folders its runs use (runtime/, home/), so that a run sees
// nothing of the machine's own settings or of another test's.
#pragma once
// clang-format off
#include <gtest/gtest.h>
#include <X11/Xlib.h>
// clang-format on
#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {

// Generous bounds for "at once" and "promptly": timings are measured in
// bench/, not judged here.
inline constexpr std::chrono::seconds kStartTimeout{10};
inline constexpr std::chrono::seconds kEndTimeout{5};

class SaverEndToEndTest : public ::testing::Test {
 protected:
  // `screen`: the Xvfb screen, as its -screen option takes it.
  explicit SaverEndToEndTest(const std::string& screen = "1024x768x24") : xvfb_(screen) {}
  // Makes the folders and copies the built Oruna.scr into program/.
  void SetUp() override;
  // Nothing started from program/ outlives the test.
  void TearDown() override;

  // For tests that watch a run: orphaned renderers come to this process,
  // so that their end can be seen, and x11_ (display_) is opened.
  void WatchRuns();
  // A window titled `title` exists now; one appears within kStartTimeout.
  bool WindowExists(const std::string& title);
  bool WaitForWindow(const std::string& title);
  // True while the renderer's window "Oruna_VC" is mapped.
  bool RendererShown();
  // Escape through XTest, to the focused window (the renderer's).
  void PressEscape();
  // The renderer `saver` started (its first child), once there is one; -1
  // when none came within kStartTimeout.
  pid_t RendererOf(ChildProcess& saver);
  // Escape for the renderer, once its window is on the screen to receive it,
  // ends the run: the saver exits with 0 within kEndTimeout.
  void EndWithEscape(ChildProcess& saver);

  // program/Oruna.ini with the music settings as the dialog writes them.
  void WriteSettings(int kind, int track, const std::string& file);

  // Copies the built program `name` into program/ as `as`.
  void Install(const std::string& name, const std::string& as);

  // Starts program/Oruna.scr with `argument` as its one argument (none when
  // empty), its environment env_ with `extra` over it. With
  // file_size_limit_ set, the saver (alone) may write no file beyond it.
  std::unique_ptr<ChildProcess> StartSaver(const std::string& argument,
                                           const std::map<std::string, std::string>& extra = {});

  XvfbServer xvfb_;
  TempDir temp_;
  const std::string program_dir_ = temp_.path() + "/program";
  const std::string runtime_dir_ = temp_.path() + "/runtime";
  const std::string home_ = temp_.path() + "/home";
  // What every run gets: its own runtime, home and configuration folders and
  // no sound device. A test adds to it in its SetUp.
  std::map<std::string, std::string> env_;
  rlim_t file_size_limit_ = RLIM_INFINITY;  // for the saver's writes
  std::unique_ptr<X11Connection> x11_;      // the test's own, from WatchRuns
  Display* display_ = nullptr;              // x11_'s
};

// True once `pid` has ended within `timeout`, and been reaped (by its parent,
// or by us when it came to us as an orphan).
bool ProcessEnds(pid_t pid, std::chrono::milliseconds timeout);

}  // namespace oruna::test
