// "Oruna.scr /c" end to end on a private Xvfb, driven with XTest as a user
// would: the dialog "<Oruna>" opens, a CD track and a music file are chosen
// and saved with the exact bytes, cancelling or closing writes nothing, a
// save the disk cannot take is reported and leaves the dialog open, and
// other instances refuse to start while it is open. A screenshot of the
// dialog is checked pixel by pixel against its layout and kept in
// <build>/artifacts/settings_dialog.png. Under a window manager the frame,
// not the client area, is what sits centred; the track box's list drops
// down below the box.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include "dialog_picture_checks.h"
#include "framing_window_manager_x11.h"
#include "saver_e2e_fixture.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::ReadText;

// Generous bounds: GTK starts slowly in the sanitizer build.
constexpr auto kOpenTimeout = 20s;
constexpr auto kEndTimeout = 10s;
constexpr const char* kTitle = "<Oruna>";
constexpr const char* kChooserTitle = "ﾌｧｲﾙを開く";
constexpr const char* kMessageTitle = "Oruna";  // the message of a failed save

// Points of the dialog's client area (the panel's controls at the panel's
// offset 12, 16).
struct Point {
  int x, y;
};
constexpr Point kCdCaption{12 + 44 + 12, 16 + 56 + 6};
constexpr Point kFileCaption{12 + 44 + 20, 16 + 96 + 6};
constexpr Point kFileBox{12 + 28 + 6, 16 + 96 + 6};
constexpr Point kTrackText{12 + 112 + 10, 16 + 52 + 10};
constexpr Point kFileButton{12 + 28 + 20, 16 + 116 + 10};
constexpr Point kSetButton{324 + 38, 200 + 12};
constexpr Point kCancelButton{404 + 38, 200 + 12};
constexpr Point kLink{12 + 40, 208 + 6};

void WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(test::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end())));
}

class SettingsDialogEndToEnd : public test::SaverEndToEndTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SaverEndToEndTest::SetUp());
    Install("Oruna.settings.so", "Oruna.settings.so");  // the dialog, loaded from beside the program
    ASSERT_TRUE(x_.ok());
    ASSERT_EQ(mkdir(music_dir_.c_str(), 0700), 0);
    env_["XDG_DATA_HOME"] = home_ + "/.local/share";
    env_["GSETTINGS_BACKEND"] = "memory";
    env_["NO_AT_BRIDGE"] = "1";
  }

  // Starts "/c" and waits until the dialog is on screen and drawn.
  void OpenDialog() {
    dialog_ = StartSaver("/c");
    ASSERT_TRUE(x_.WaitForWindow(kTitle, kOpenTimeout));
    window_ = x_.Find(kTitle);
    ASSERT_TRUE(test::WaitUntil([&] {
      XWindowAttributes attributes{};
      return XGetWindowAttributes(x_.get(), window_, &attributes) != 0 && attributes.map_state == IsViewable;
    }, kOpenTimeout));
    Window child = 0;
    XTranslateCoordinates(x_.get(), window_, DefaultRootWindow(x_.get()), 0, 0, &origin_.x, &origin_.y, &child);
    test::SleepMs(500);  // its first paint
  }

  void MoveTo(Point p) {
    XTestFakeMotionEvent(x_.get(), -1, origin_.x + p.x, origin_.y + p.y, CurrentTime);
    XFlush(x_.get());
    test::SleepMs(150);  // a hover poll sees it
  }

  void Click(Point p, unsigned button = 1) {
    MoveTo(p);
    XTestFakeButtonEvent(x_.get(), button, True, CurrentTime);
    XFlush(x_.get());
    test::SleepMs(60);
    XTestFakeButtonEvent(x_.get(), button, False, CurrentTime);
    XFlush(x_.get());
    test::SleepMs(200);
  }

  // Letters, digits and dots, each as its own key.
  void Type(const std::string& text) {
    for (char c : text) {
      const std::string name = c == '.' ? "period" : std::string(1, c);
      x_.TapKey(name.c_str());
      test::SleepMs(30);
    }
    test::SleepMs(200);
  }

  void ExpectDialogEnds() {
    const std::optional<int> code = dialog_->Wait(kEndTimeout);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, 0);
    EXPECT_EQ(x_.Find(kTitle), 0u);
  }

  // The client area as the screen shows it, kept as a PNG file.
  std::vector<uint32_t> Screenshot() {
    std::vector<uint32_t> pixels = x_.Grab(origin_.x, origin_.y, 496, 246);
    EXPECT_EQ(pixels.size(), 496u * 246u);
    pixels.resize(496u * 246u);
    std::vector<uint8_t> rgb;
    for (uint32_t p : pixels) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    std::filesystem::create_directories(ORUNA_ARTIFACT_DIR);
    EXPECT_TRUE(stbi_write_png(ORUNA_ARTIFACT_DIR "/settings_dialog.png", 496, 246, 3, rgb.data(), 496 * 3));
    return pixels;
  }

  // The top-level windows that are mapped and bypass any window manager:
  // menus and drop-down lists.
  std::vector<XWindowAttributes> PopUps() {
    std::vector<XWindowAttributes> found;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(x_.get(), DefaultRootWindow(x_.get()), &root, &parent, &children, &count) == 0) return found;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes{};
      if (XGetWindowAttributes(x_.get(), children[i], &attributes) != 0 && attributes.override_redirect &&
          attributes.map_state == IsViewable && attributes.x + attributes.width > 0 &&
          attributes.y + attributes.height > 0)
        found.push_back(attributes);
    }
    if (children != nullptr) XFree(children);
    return found;
  }

  test::X11Connection x_;
  const std::string music_dir_ = temp_.path() + "/music";
  const std::string ini_ = program_dir_ + "/Oruna.ini";
  std::unique_ptr<ChildProcess> dialog_;
  Window window_ = 0;
  Point origin_{0, 0};
};

TEST_F(SettingsDialogEndToEnd, SavesTheCdTrackTypedIntoTheTrackBox) {
  OpenDialog();
  // Centred across the 1024 x 768 screen, a third of the free height above.
  EXPECT_EQ(origin_.x, 264);
  EXPECT_EQ(origin_.y, 174);
  Click(kCdCaption);
  Click(kTrackText);
  Type("7.6");
  MoveTo(kSetButton);  // hovered, as the picture shows it
  const std::vector<uint32_t> picture = Screenshot();
  const test::ClientPixel at = [&](int x, int y) { return picture[static_cast<size_t>(y) * 496 + x]; };
  test::ExpectDialogWithCdChosenAndSetHovered(at);
  // The track box (112, 52, 41 x 20 on the panel) left of its arrow.
  test::ExpectTrackTextShown(at, 12 + 113, 12 + 140, 16 + 53, 16 + 70);
  Click(kSetButton);
  ExpectDialogEnds();
  EXPECT_EQ(ReadText(ini_), "[Section]\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 8\r\nBGMﾌｧｲﾙ=\r\n");
}

TEST_F(SettingsDialogEndToEnd, TrackListDropsDownBelowTheBoxAndScrolls) {
  WriteText(ini_, "[Section]\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 12\r\n");
  OpenDialog();
  ASSERT_TRUE(PopUps().empty());
  constexpr Point kArrow{12 + 112 + 35, 16 + 52 + 10};
  Click(kArrow);
  ASSERT_TRUE(test::WaitUntil([&] { return !PopUps().empty(); }, kEndTimeout));
  test::SleepMs(300);
  const XWindowAttributes list = PopUps().front();
  // Below the box, from its left edge, a list of a few rows, not the screen.
  EXPECT_EQ(list.y, origin_.y + 16 + 52 + 20);
  EXPECT_NEAR(list.x, origin_.x + 12 + 112, 2);
  EXPECT_GE(list.height, 80);
  EXPECT_LE(list.height, 200);
  EXPECT_LE(list.width, 80);
  x_.TapKey("Escape");
  EXPECT_TRUE(test::WaitUntil([&] { return PopUps().empty(); }, kEndTimeout));
  // Its first entry, the blank one, empties the box: saved as 0.
  Click(kArrow);
  ASSERT_TRUE(test::WaitUntil([&] { return !PopUps().empty(); }, kEndTimeout));
  test::SleepMs(300);
  Click({list.x - origin_.x + 10, list.y - origin_.y + 5});
  EXPECT_TRUE(test::WaitUntil([&] { return PopUps().empty(); }, kEndTimeout));
  Click(kSetButton);
  ExpectDialogEnds();
  EXPECT_EQ(ReadText(ini_), "[Section]\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=\r\n");
}

// A window manager frames the dialog 4 pixels wide with a 24-pixel title
// bar: 504 x 274 outside, centred across the 1024 x 768 screen with a third
// of the free height above.
TEST_F(SettingsDialogEndToEnd, PlacesTheFramedWindowByItsOuterSize) {
  test::FramingWindowManager manager({4, 24, 4, 4});
  ASSERT_TRUE(manager.ok());
  OpenDialog();
  Window root = 0, frame = 0, *children = nullptr;
  unsigned count = 0;
  ASSERT_NE(XQueryTree(x_.get(), window_, &root, &frame, &children, &count), 0);
  if (children != nullptr) XFree(children);
  ASSERT_NE(frame, root);
  EXPECT_TRUE(test::WaitUntil([&] {
    XWindowAttributes outer{};
    return XGetWindowAttributes(x_.get(), frame, &outer) != 0 && outer.x == (1024 - 504) / 2 &&
           outer.y == (768 - 274) / 3;
  }, kEndTimeout));
  XWindowAttributes outer{};
  XGetWindowAttributes(x_.get(), frame, &outer);
  EXPECT_EQ(outer.width, 504);
  EXPECT_EQ(outer.height, 274);
  EXPECT_EQ(outer.x, 260);
  EXPECT_EQ(outer.y, 164);
  Click(kCancelButton);
  ExpectDialogEnds();
}

TEST_F(SettingsDialogEndToEnd, ChoosesAMusicFileThroughTheChooser) {
  // The chooser starts in the folder of the file saved last.
  const std::string old_file = music_dir_ + "/old.wav";
  const std::string new_file = music_dir_ + "/song.mp3";
  WriteText(old_file, "");
  WriteText(new_file, "");
  WriteText(ini_, "[Section]\r\nBGM区分= 0\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=" + old_file + "\r\n");
  OpenDialog();
  Click(kFileBox);
  Click(kFileButton);
  ASSERT_TRUE(x_.WaitForWindow(kChooserTitle, kOpenTimeout));
  test::SleepMs(800);
  // The location field, then a name relative to the folder shown.
  x_.KeyDown("Control_L");
  x_.TapKey("l");
  x_.KeyUp("Control_L");
  test::SleepMs(300);
  Type("song.mp3");
  x_.TapKey("Return");
  ASSERT_TRUE(x_.WaitForWindowGone(kChooserTitle, kOpenTimeout));
  test::SleepMs(300);
  Click(kSetButton);
  ExpectDialogEnds();
  EXPECT_EQ(ReadText(ini_), "[Section]\r\nBGM区分= 2\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=" + new_file + "\r\n");
}

TEST_F(SettingsDialogEndToEnd, CancelAndCloseLeaveTheSettingsFileUntouched) {
  const std::string before = "; kept as it is\n[Other]\nx=1\n[Section]\nBGM区分= 1\nBGMﾘﾋﾟｰﾄ= 12\n";
  WriteText(ini_, before);
  OpenDialog();
  Click(kTrackText);
  Type("5");
  Click(kFileCaption, 3);  // any mouse button picks a kind
  Click(kCancelButton);
  ExpectDialogEnds();
  EXPECT_EQ(ReadText(ini_), before);

  // Closed by a close request, as from the window frame.
  OpenDialog();
  Click(kFileCaption);
  x_.RequestClose(window_);
  ExpectDialogEnds();
  EXPECT_EQ(ReadText(ini_), before);
}

// The disk takes 64 bytes of the new file only: the save is reported as
// failed, the old file stays as it was and the dialog stays open. With room
// again, "設定" once more saves and closes.
TEST_F(SettingsDialogEndToEnd, ASaveTheDiskCannotTakeIsReportedAndTheDialogStaysOpen) {
  const std::string before = "; " + std::string(300, '-') + "\r\n[Section]\r\nBGM区分= 0\r\n";
  WriteText(ini_, before);
  file_size_limit_ = 64;
  OpenDialog();
  Click(kCdCaption);
  Click(kSetButton);
  ASSERT_TRUE(x_.WaitForWindow(kMessageTitle, kOpenTimeout));
  EXPECT_TRUE(dialog_->Running());
  EXPECT_NE(x_.Find(kTitle), 0u);
  EXPECT_EQ(ReadText(ini_), before);
  // No half-written file next to it.
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(program_dir_)) files.insert(entry.path().filename());
  EXPECT_EQ(files, (std::set<std::string>{"Oruna.scr", "Oruna.settings.so", "Oruna.ini"}));
  x_.RequestClose(x_.Find(kMessageTitle));
  ASSERT_TRUE(x_.WaitForWindowGone(kMessageTitle, kEndTimeout));
  EXPECT_TRUE(dialog_->Running());

  const rlimit room{RLIM_INFINITY, RLIM_INFINITY};
  ASSERT_EQ(prlimit(dialog_->pid(), RLIMIT_FSIZE, &room, nullptr), 0);
  Click(kSetButton);
  ExpectDialogEnds();
  EXPECT_EQ(ReadText(ini_), "; " + std::string(300, '-') +
                                "\r\n[Section]\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=\r\n");
}

TEST_F(SettingsDialogEndToEnd, LinkOpensInTheUsersBrowser) {
  // A stand-in browser registered for web links in the test's own home.
  const std::string opened = temp_.path() + "/opened";
  const std::string browser = temp_.path() + "/browser.sh";
  WriteText(browser, "#!/bin/sh\necho \"$1\" > " + opened + "\n");
  ASSERT_EQ(chmod(browser.c_str(), 0700), 0);
  std::filesystem::create_directories(home_ + "/.local/share/applications");
  std::filesystem::create_directories(home_ + "/.config");
  WriteText(home_ + "/.local/share/applications/oruna-test-browser.desktop",
            "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" + browser +
                " %u\nMimeType=x-scheme-handler/https;\n");
  WriteText(home_ + "/.config/mimeapps.list",
            "[Default Applications]\nx-scheme-handler/https=oruna-test-browser.desktop\n");
  OpenDialog();
  Click(kLink);
  EXPECT_TRUE(test::WaitUntil([&] { return ReadText(opened) == "https://oruna.example/\n"; }, kEndTimeout));
  EXPECT_TRUE(dialog_->Running());  // the dialog stays open
  Click(kCancelButton);
  ExpectDialogEnds();
  EXPECT_FALSE(test::FileExists(ini_));
}

TEST_F(SettingsDialogEndToEnd, OtherInstancesRefuseToStartWhileItIsOpen) {
  OpenDialog();
  for (const char* argument : {"/s", "/c", "/p 0"}) {
    auto second = StartSaver(argument);
    const std::optional<int> code = second->Wait(kEndTimeout);
    ASSERT_TRUE(code.has_value()) << argument;
    EXPECT_EQ(*code, 0) << argument;
    EXPECT_EQ(x_.Find("Oruna_Main"), 0u) << argument;
  }
  EXPECT_TRUE(dialog_->Running());
  Click(kCancelButton);
  ExpectDialogEnds();
}

// Without its module (missing, a file that is no module, or a module
// without the dialog's entry) the dialog cannot open: the program ends as
// it does when GTK finds no display, and says why on its error output,
// naming the module. The settings stay as they were.
TEST_F(SettingsDialogEndToEnd, WithoutItsModuleEndsAndSaysWhy) {
  const std::string before = "[Section]\nBGM区分= 1\n";
  WriteText(ini_, before);
  const std::string module = program_dir_ + "/Oruna.settings.so", errors = temp_.path() + "/errors";
  enum class Module { Missing, NoModule, WithoutEntry };
  for (const Module kind : {Module::Missing, Module::NoModule, Module::WithoutEntry}) {
    const int case_number = static_cast<int>(kind);
    std::filesystem::remove(module);
    if (kind == Module::NoModule) WriteText(module, "not a module\n");
    if (kind == Module::WithoutEntry) std::filesystem::copy_file(test::BinaryDir() + "/Oruna.music.so", module);
    // The shell only sends the error output to a file; the saver replaces it.
    ChildProcess saver({"/bin/sh", "-c", "exec \"$0\" /c 2>\"$1\"", program_dir_ + "/Oruna.scr", errors}, env_);
    const std::optional<int> code = saver.Wait(kEndTimeout);
    ASSERT_TRUE(code.has_value()) << case_number;
    EXPECT_EQ(*code, 0) << case_number;
    EXPECT_EQ(x_.Find(kTitle), 0u) << case_number;
    const std::string said = ReadText(errors);
    EXPECT_NE(said.find("the settings dialog cannot be shown"), std::string::npos) << said;
    EXPECT_NE(said.find(module), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(ReadText(ini_), before);
  }
}

}  // namespace
}  // namespace oruna
