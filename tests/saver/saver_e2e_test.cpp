// Oruna.scr end to end under a private Xvfb: the run with the renderer (a
// stand-in that can start slowly, and the real Oruna.dll), the second
// instance, "/a", the preview inside a window of ours, the renderer missing
// or killed, and a texture folder whose disk is full. Each test runs the saver from a folder of its own with
// its own runtime, home and settings folders.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "bitmap_reader.h"
#include "run_form.h"
#include "saver_e2e_fixture.h"
#include "screen_cursor_x11.h"
#include "test_support.h"
#include "window_search_x11.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::kEndTimeout;
using test::kStartTimeout;

// The names of the files mapped into `pid`: its program and libraries.
std::set<std::string> MappedFiles(pid_t pid) {
  std::set<std::string> files;
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  for (std::string line; std::getline(maps, line);) {
    const size_t path = line.find('/');
    if (path != std::string::npos) files.insert(std::filesystem::path(line.substr(path)).filename());
  }
  return files;
}

class SaverEndToEnd : public test::SaverEndToEndTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SaverEndToEndTest::SetUp());
    ASSERT_NO_FATAL_FAILURE(WatchRuns());
    cursor_ = std::make_unique<test::ScreenCursor>(display_, xvfb_.framebuffer_file());
    ASSERT_TRUE(cursor_->ShowPlainCursorAt(200, 150, kStartTimeout));
    env_["ORUNA_STANDIN_REPORT"] = report_;
  }

  enum class Renderer { StandIn, Real };
  void InstallRenderer(Renderer renderer) {
    Install(renderer == Renderer::Real ? "Oruna.dll" : "renderer_standin", "Oruna.dll");
  }

  // True once `pid` has ended and been reaped (by the saver or, orphaned, by us).
  bool ProcessEnds(pid_t pid) { return test::ProcessEnds(pid, kEndTimeout); }

  std::vector<std::string> RendererStarts() {
    std::vector<std::string> lines;
    std::ifstream in(report_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // Runs the saver with `renderer`, checks the textures and ends it with Escape.
  void RunAndEndWithEscape(const std::map<std::string, std::string>& extra_env = {}) {
    auto saver = StartSaver("/s", extra_env);
    ASSERT_TRUE(WaitForWindow("Oruna_VC"));
    EXPECT_TRUE(WindowExists("Oruna_Main"));
    const pid_t renderer = RendererOf(*saver);
    ASSERT_GT(renderer, 0);

    const int sizes[] = {128, 256, 64, 64};
    for (int i = 1; i <= 4; ++i) {
      const std::string path = runtime_dir_ + "/p_orvi/Oruna" + std::to_string(i) + ".bmp";
      RgbImagePtr image = ReadBitmapImage(path);
      ASSERT_NE(image, nullptr) << path;
      EXPECT_EQ(image->width, sizes[i - 1]) << path;
      EXPECT_EQ(image->height, sizes[i - 1]) << path;
    }

    EXPECT_TRUE(cursor_->AbsentFor(300ms)) << "the cursor is hidden during the run";
    ASSERT_TRUE(saver->Running());
    EndWithEscape(*saver);
    EXPECT_TRUE(ProcessEnds(renderer));
    EXPECT_FALSE(WindowExists("Oruna_VC"));
    EXPECT_FALSE(WindowExists("Oruna_Main"));
    EXPECT_TRUE(cursor_->SeenWithin(kEndTimeout)) << "the cursor is shown again at the end";
  }

  void SleepWhileRunning(ChildProcess& saver, int ms) {
    test::SleepMs(ms);
    ASSERT_TRUE(saver.Running());
  }

  std::unique_ptr<test::ScreenCursor> cursor_;
  const std::string report_ = temp_.path() + "/renderer-starts";
};

TEST_F(SaverEndToEnd, RunWritesTheTexturesStartsTheRendererAndEndsWithIt) {
  InstallRenderer(Renderer::StandIn);
  RunAndEndWithEscape();
  // Started once, without arguments, after all four bitmaps were written.
  EXPECT_EQ(RendererStarts(), std::vector<std::string>{"0 1111"});
}

TEST_F(SaverEndToEnd, RunWithTheRealRendererEndsOnEscape) {
  InstallRenderer(Renderer::Real);
  RunAndEndWithEscape();
}

// A run without music loads no GUI toolkit, no audio library and none of
// the program's modules: only the settings dialog and the music need them.
// The run works end to end with the modules beside the program or without
// them, and none of those libraries is ever mapped into the saver. With GTK
// unable to open any display, the settings dialog, which cannot appear,
// ends the program.
TEST_F(SaverEndToEnd, ARunLoadsNoToolkitAndNeedsNoModule) {
  InstallRenderer(Renderer::StandIn);
  for (const bool modules_beside : {false, true}) {
    for (const char* name : {"Oruna.settings.so", "Oruna.music.so"})
      if (modules_beside) Install(name, name);
    auto saver = StartSaver("/s");
    ASSERT_TRUE(WaitForWindow("Oruna_VC")) << modules_beside;
    const pid_t renderer = RendererOf(*saver);
    ASSERT_GT(renderer, 0);
    const std::set<std::string> mapped = MappedFiles(saver->pid());
    EXPECT_TRUE(mapped.count("Oruna.scr")) << "the saver's maps were read";
    for (const std::string& file : mapped) {
      for (const char* library : {"libgtk-3", "libgdk-3", "libSDL2", "libcdio", "libmpg123", "Oruna.settings", "Oruna.music"})
        EXPECT_NE(file.rfind(library, 0), 0u) << file;
    }
    EndWithEscape(*saver);
    EXPECT_TRUE(ProcessEnds(renderer));
  }
  auto dialog = StartSaver("/c", {{"GDK_BACKEND", "broadway"}});
  EXPECT_EQ(dialog->Wait(kEndTimeout), 0);
  EXPECT_FALSE(WindowExists("<Oruna>"));
}

// The configured music reaches the sound output while the renderer runs,
// through the music module, loaded for it. Without the module the run goes
// on silent, as without a sound device, and still ends on Escape.
TEST_F(SaverEndToEnd, TheConfiguredMusicPlaysDuringTheRun) {
  InstallRenderer(Renderer::StandIn);
  const std::string wav = temp_.path() + "/tone.wav";
  ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 '" + wav + "' synth 1 sine 440 2>/dev/null").c_str()), 0);
  WriteSettings(2, 0, wav);
  const std::string output = temp_.path() + "/audio.raw";
  const std::map<std::string, std::string> disk_audio = {
      {"LC_ALL", "C.UTF-8"}, {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", output}};
  auto size = [&] { return test::FileExists(output) ? std::filesystem::file_size(output) : 0; };

  auto silent = StartSaver("/s", disk_audio);
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  test::SleepMs(500);  // the music would have started by now
  EXPECT_FALSE(test::FileExists(output)) << "no sound output without the music module";
  EXPECT_FALSE(MappedFiles(silent->pid()).count("Oruna.music.so"));
  EndWithEscape(*silent);

  Install("Oruna.music.so", "Oruna.music.so");
  auto saver = StartSaver("/s", disk_audio);
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  ASSERT_TRUE(test::WaitUntil([&] { return size() > 0; }, kStartTimeout));
  const auto before = size();
  EXPECT_TRUE(test::WaitUntil([&] { return size() > before; }, kEndTimeout));
  EXPECT_TRUE(MappedFiles(saver->pid()).count("Oruna.music.so")) << "loaded for the music";
  EndWithEscape(*saver);
}

// Started without a switch, the saver runs without touching the cursor.
TEST_F(SaverEndToEnd, ARunWithoutASwitchLeavesTheCursorShown) {
  InstallRenderer(Renderer::StandIn);
  auto saver = StartSaver("");
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  ASSERT_GT(RendererOf(*saver), 0);
  EXPECT_TRUE(cursor_->SeenWithin(kEndTimeout));
  EndWithEscape(*saver);
}

TEST_F(SaverEndToEnd, ASlowRendererStartIsWaitedFor) {
  InstallRenderer(Renderer::StandIn);
  auto saver = StartSaver("/s", {{"ORUNA_STANDIN_DELAY_MS", "1500"}});
  const pid_t renderer = RendererOf(*saver);
  SleepWhileRunning(*saver, 800);  // many watch ticks without a renderer window
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  SleepWhileRunning(*saver, 200);
  EndWithEscape(*saver);
  EXPECT_TRUE(ProcessEnds(renderer));
}

// A renderer that runs but never opens its window is ended after the start
// deadline, and the run ends with it.
TEST_F(SaverEndToEnd, ARendererThatNeverShowsAWindowIsEndedAfterTheStartDeadline) {
  InstallRenderer(Renderer::StandIn);
  auto saver = StartSaver("/s", {{"ORUNA_STANDIN_DELAY_MS", "600000"}});
  const pid_t renderer = RendererOf(*saver);
  ASSERT_GT(renderer, 0);
  EXPECT_EQ(saver->Wait(std::chrono::milliseconds(kRendererStartDeadlineMs) + kEndTimeout), 0);
  EXPECT_TRUE(ProcessEnds(renderer));
  EXPECT_FALSE(WindowExists("Oruna_Main"));
}

// The preview pane is a real window, so a preview would start if the check
// were missing; it must end at once and leave the pane empty.
TEST_F(SaverEndToEnd, ASecondInstanceEndsAtOnceWhatEverItsSwitch) {
  InstallRenderer(Renderer::StandIn);
  auto first = StartSaver("/s");
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  RendererOf(*first);
  const Window pane = test::MakeTestWindow(display_, 10, 10, 160, 120, 0, "pane");
  for (const std::string& args : std::vector<std::string>{"/s", "", "/c", "/p " + std::to_string(pane)}) {
    auto second = StartSaver(args);
    EXPECT_EQ(second->Wait(kEndTimeout), 0) << args;
  }
  EXPECT_TRUE(test::ChildWindows(display_, pane).empty());
  EXPECT_TRUE(first->Running());
  EXPECT_EQ(RendererStarts().size(), 1u);
  EndWithEscape(*first);
}

// An open settings dialog ("<Oruna>", here a hidden window of ours) refuses
// a preview into a real pane and a run alike.
TEST_F(SaverEndToEnd, AnOpenSettingsDialogRefusesEveryNewInstance) {
  InstallRenderer(Renderer::StandIn);
  test::MakeTestWindow(display_, 10, 10, 160, 120, 0, "<Oruna>", false);
  const Window pane = test::MakeTestWindow(display_, 10, 10, 160, 120, 0, "pane");
  for (const std::string& args : std::vector<std::string>{"/p " + std::to_string(pane), "/s"}) {
    auto second = StartSaver(args);
    EXPECT_EQ(second->Wait(kEndTimeout), 0) << args;
  }
  EXPECT_TRUE(test::ChildWindows(display_, pane).empty());
  EXPECT_TRUE(RendererStarts().empty());
}

TEST_F(SaverEndToEnd, OtherSwitchesCreateTheDirectoryReadTheSettingsAndEnd) {
  InstallRenderer(Renderer::StandIn);
  const std::string ini = program_dir_ + "/Oruna.ini";
  const std::string config_dir = home_ + "/.config/oruna";
  std::filesystem::create_directories(config_dir);
  for (const std::string& path : {ini, config_dir + "/Oruna.ini"}) {
    std::ofstream(path) << "[Section]\r\n";
  }
  // Who opens the settings file is seen through inotify.
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  inotify_add_watch(watch, program_dir_.c_str(), IN_OPEN);
  inotify_add_watch(watch, config_dir.c_str(), IN_OPEN);

  auto saver = StartSaver("/a 123");
  EXPECT_EQ(saver->Wait(kEndTimeout), 0);
  struct stat st {};
  ASSERT_EQ(stat((runtime_dir_ + "/p_orvi").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u);

  bool settings_opened = false;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* p = buffer; p < buffer + n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if (event->len > 0 && std::string(event->name) == "Oruna.ini") settings_opened = true;
      p += sizeof(inotify_event) + event->len;
    }
  }
  close(watch);
  EXPECT_TRUE(settings_opened);
  EXPECT_TRUE(RendererStarts().empty());
}

// A runtime folder that is no folder and a settings file of garbage: the
// textures go to the folder in the user's cache instead, and the run goes
// on and ends normally.
TEST_F(SaverEndToEnd, BadTextureFolderAndSettingsDoNotStopTheRun) {
  InstallRenderer(Renderer::StandIn);
  const std::string not_a_folder = temp_.path() + "/file";
  std::ofstream(not_a_folder) << "x";
  std::string garbage(4096, '\0');
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919) % 251);
  std::ofstream(program_dir_ + "/Oruna.ini", std::ios::binary) << "[Section]\nBGM\xE5" << garbage;

  auto saver = StartSaver("/s", {{"XDG_RUNTIME_DIR", not_a_folder}});
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  EXPECT_EQ(RendererStarts(), std::vector<std::string>{"0 1111"});
  EXPECT_TRUE(test::FileExists(home_ + "/.cache/oruna/p_orvi/Oruna1.bmp"));
  EndWithEscape(*saver);
}

// The disk of the texture folder takes 4 KB of a file only, less than the
// smallest picture, while music plays: the textures of the run before stay
// whole, no half-written file is left, the renderer starts with them and
// Escape ends the run as ever. Exit code 0 comes only from the end of the
// run, after the music has stopped and the cursor has been shown.
TEST_F(SaverEndToEnd, AFullTextureDiskStillEndsTheRunCleanly) {
  InstallRenderer(Renderer::StandIn);
  RunAndEndWithEscape();  // the textures of an earlier run
  const std::string folder = runtime_dir_ + "/p_orvi";
  // Each file's bytes and inode: a replacement, even by equal bytes, would
  // bring a new inode.
  auto texture_files = [&] {
    std::map<std::string, std::pair<ino_t, std::vector<uint8_t>>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      struct stat info {};
      stat(entry.path().c_str(), &info);
      files[entry.path().string()] = {info.st_ino, test::ReadFileBytes(entry.path().string())};
    }
    return files;
  };
  const auto before = texture_files();
  ASSERT_EQ(before.size(), 4u);

  const std::string wav = temp_.path() + "/tone.wav";
  ASSERT_EQ(std::system(("sox -n -r 44100 -c 2 '" + wav + "' synth 1 sine 440 2>/dev/null").c_str()), 0);
  WriteSettings(2, 0, wav);
  file_size_limit_ = 4096;
  auto saver = StartSaver("/s");
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  const pid_t renderer = RendererOf(*saver);
  ASSERT_GT(renderer, 0);
  EXPECT_EQ(RendererStarts(), (std::vector<std::string>{"0 1111", "0 1111"}));
  SleepWhileRunning(*saver, 300);
  EndWithEscape(*saver);
  EXPECT_TRUE(ProcessEnds(renderer));
  EXPECT_FALSE(WindowExists("Oruna_Main"));
  EXPECT_TRUE(texture_files() == before);
}

TEST_F(SaverEndToEnd, AMissingRendererEndsTheSaverPromptly) {
  auto saver = StartSaver("/s");
  EXPECT_EQ(saver->Wait(kEndTimeout), 0);
}

TEST_F(SaverEndToEnd, AKilledRendererEndsTheSaver) {
  InstallRenderer(Renderer::StandIn);
  auto saver = StartSaver("/s");
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  const pid_t renderer = RendererOf(*saver);
  ASSERT_GT(renderer, 0);
  kill(renderer, SIGKILL);
  EXPECT_EQ(saver->Wait(kEndTimeout), 0);
  EXPECT_TRUE(ProcessEnds(renderer));
}

// Unload requests from outside (the session's or a screen-saver host's
// SIGTERM, a close request to the hidden run form) end the whole run: when
// the saver has gone, so has its renderer.
TEST_F(SaverEndToEnd, AnUnloadRequestFromOutsideEndsTheRunAndTheRenderer) {
  InstallRenderer(Renderer::StandIn);
  for (const bool by_signal : {true, false}) {
    auto saver = StartSaver("/s");
    ASSERT_TRUE(WaitForWindow("Oruna_VC"));
    const pid_t renderer = RendererOf(*saver);
    if (by_signal) {
      saver->Kill(SIGTERM);
    } else {
      XEvent close{};
      close.xclient.type = ClientMessage;
      close.xclient.window = FindX11WindowByTitle(display_, "Oruna_Main");
      close.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
      close.xclient.format = 32;
      close.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
      close.xclient.data.l[1] = CurrentTime;
      XSendEvent(display_, close.xclient.window, False, NoEventMask, &close);
      XSync(display_, False);
    }
    const char* how = by_signal ? "SIGTERM" : "close request";
    EXPECT_EQ(saver->Wait(kEndTimeout), 0) << how;
    // Ended and reaped by the saver before it went: no process is left.
    EXPECT_TRUE(kill(renderer, 0) != 0 && errno == ESRCH) << how;
    EXPECT_TRUE(test::WaitUntil([&] { return !WindowExists("Oruna_VC"); }, kEndTimeout)) << how;
    EXPECT_FALSE(WindowExists("Oruna_Main")) << how;
  }
}

// However the saver dies, even by a SIGKILL from an impatient idle daemon,
// the renderer it started follows it.
TEST_F(SaverEndToEnd, TheRendererEndsWhenItsSaverIsKilled) {
  InstallRenderer(Renderer::Real);
  auto saver = StartSaver("/s");
  ASSERT_TRUE(WaitForWindow("Oruna_VC"));
  const pid_t renderer = RendererOf(*saver);
  ASSERT_GT(renderer, 0);
  saver->Kill(SIGKILL);
  EXPECT_EQ(saver->Wait(kEndTimeout), 128 + SIGKILL);
  EXPECT_TRUE(ProcessEnds(renderer));
  EXPECT_TRUE(test::WaitUntil([&] { return !WindowExists("Oruna_VC"); }, kEndTimeout));
}

// The preview inside a window of ours, as a host's pane.
class PreviewEndToEnd : public SaverEndToEnd {
 protected:
  Window MakePane(int width, int height) { return test::MakeTestWindow(display_, 10, 10, width, height, 0); }

  Window PreviewChild(Window pane) {
    Window found = None;
    test::WaitUntil([&] {
      for (Window child : test::ChildWindows(display_, pane))
        if (X11WindowHasTitle(display_, child, "Preview Window")) found = child;
      return found != None;
    }, kStartTimeout);
    return found;
  }

  std::pair<int, int> SizeOf(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, window, &attributes);
    return {attributes.width, attributes.height};
  }

  // Colour at (x, y) of `window`, as 0xRRGGBB.
  unsigned long PixelAt(Window window, int x, int y) {
    XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return pixel & 0xFFFFFF;
  }

  bool WaitFollows(Window child, int width, int height) {
    return test::WaitUntil([&] { return SizeOf(child) == std::make_pair(width, height); }, kEndTimeout);
  }
};

int Red(unsigned long p) { return static_cast<int>((p >> 16) & 0xFF); }
int Green(unsigned long p) { return static_cast<int>((p >> 8) & 0xFF); }
int Blue(unsigned long p) { return static_cast<int>(p & 0xFF); }

TEST_F(PreviewEndToEnd, ShowsThePictureInsideThePaneFollowsItAndEndsWithIt) {
  const Window pane = MakePane(300, 200);
  auto saver = StartSaver("/p " + std::to_string(pane));
  const Window child = PreviewChild(pane);
  ASSERT_NE(child, None);
  EXPECT_EQ(SizeOf(child), std::make_pair(300, 200));

  // A glowing red-orange disc in the middle, drawn over the grey background.
  unsigned long centre = 0;
  ASSERT_TRUE(test::WaitUntil([&] {
    centre = PixelAt(pane, 150, 100);
    return centre != 0xC0C0C0 && centre != 0;
  }, kStartTimeout));
  EXPECT_GT(Red(centre), 150);
  EXPECT_GE(Red(centre), Green(centre));
  EXPECT_GE(Green(centre), Blue(centre));
  EXPECT_NE(PixelAt(pane, 2, 2), 0xC0C0C0u);
  EXPECT_NE(PixelAt(pane, 297, 197), 0xC0C0C0u);

  // Any pane size, also beyond what a 16-bit twips size could hold.
  XResizeWindow(display_, pane, 640, 90);
  XSync(display_, False);
  EXPECT_TRUE(WaitFollows(child, 640, 90));
  XResizeWindow(display_, pane, 3000, 120);
  XSync(display_, False);
  EXPECT_TRUE(WaitFollows(child, 3000, 120));
  EXPECT_TRUE(saver->Running());

  XDestroyWindow(display_, pane);
  XSync(display_, False);
  EXPECT_EQ(saver->Wait(kEndTimeout), 0);
}

TEST_F(PreviewEndToEnd, ThePreviewIsNoSingleInstanceAndWritesNothing) {
  const Window pane_a = MakePane(152, 112);
  const Window pane_b = MakePane(100, 80);
  auto a = StartSaver("/p " + std::to_string(pane_a));
  auto b = StartSaver("/P   " + std::to_string(pane_b));
  EXPECT_NE(PreviewChild(pane_a), None);
  EXPECT_NE(PreviewChild(pane_b), None);
  EXPECT_FALSE(test::FileExists(runtime_dir_ + "/p_orvi"));
  XDestroyWindow(display_, pane_a);
  XDestroyWindow(display_, pane_b);
  XSync(display_, False);
  EXPECT_EQ(a->Wait(kEndTimeout), 0);
  EXPECT_EQ(b->Wait(kEndTimeout), 0);
}

TEST_F(PreviewEndToEnd, APaneThatIsNoWindowEndsTheProgramAtOnce) {
  const Window gone = MakePane(50, 50);
  XDestroyWindow(display_, gone);
  XSync(display_, False);
  for (const std::string& args : std::vector<std::string>{"/p", "/p 0", "/p " + std::to_string(gone), "/p -5"}) {
    auto saver = StartSaver(args);
    EXPECT_EQ(saver->Wait(kEndTimeout), 0) << args;
  }
}

}  // namespace
}  // namespace oruna
