// Telling a settings tool's preview from a real run, and what Main does with
// each: a preview neither looks for nor blocks another instance, and its
// run form is the silent one.
#include <gtest/gtest.h>

#include "fake_saver_platform.h"
#include "saver_main.h"
#include "settings_preview.h"

namespace oruna {
namespace {

using Log = std::vector<std::string>;

// What the hosts hand a run (window 0x800C9C, as in XScreenSaver's tool).
HostWindowShape Shape(bool top_level, bool covers) { return {0x800C9C, top_level, covers}; }

TEST(SettingsPreview, ThePaneOfAToolIsAPreviewAndTheDaemonsWindowsAreNot) {
  struct Case {
    HostWindowShape shape;
    std::string args;
    bool preview;
  };
  for (const Case& c : {
           // MATE's tool: a pane inside its window, nothing on the command line.
           Case{Shape(false, false), "/s", true},
           // XScreenSaver's tool: the same, with --window-id naming it.
           Case{Shape(false, false), "/s --window-id 0x800C9C", true},
           // XScreenSaver's daemon: a full-screen child of the root.
           Case{Shape(true, true), "/s", false},
           // MATE's daemon: a full-screen child of its own top-level window.
           Case{Shape(false, true), "/s", false},
           // A full-screen window stays a real run, whatever the arguments say.
           Case{Shape(true, true), "/s --window-id 0x800C9C", false},
           // A host's own smaller top-level window (a host in a window, the
           // tests' stand-in hosts): a real run, unless --window-id says it
           // is the tool's preview window.
           Case{Shape(true, false), "/s", false},
           Case{Shape(true, false), "/s --window-id 0x800c9c", true},
           Case{Shape(true, false), "/s -window-id 8391836", true},
           Case{Shape(true, false), "/s --window-id 0x1234", false},
           Case{Shape(true, false), "/s --window-id", false},
           Case{Shape(true, false), "/s --window-id nonsense", false},
       }) {
    EXPECT_EQ(IsSettingsPreview(c.shape, c.args), c.preview)
        << c.args << " top-level " << c.shape.top_level << " covers " << c.shape.covers_its_monitor;
  }
}

TEST(SettingsPreview, WindowIdArgumentIsReadAsHostsWriteIt) {
  EXPECT_EQ(WindowIdArgument("/s --window-id 0x800C9C"), 0x800C9Cu);
  EXPECT_EQ(WindowIdArgument("/s  --window-id   42  -root"), 42u);
  EXPECT_EQ(WindowIdArgument("/s"), std::nullopt);
  EXPECT_EQ(WindowIdArgument("/s --window-id 0"), std::nullopt);
  EXPECT_EQ(WindowIdArgument("/s --window-id=0x10"), std::nullopt);
}

// A preview pane: Main makes no single-instance look-up, whatever windows
// exist (a real run's form, an open settings dialog), writes the textures'
// folder and loads the preview's form, leaving the cursor alone.
TEST(SettingsPreview, APreviewRunsBesideARealRunOrTheDialogAndLooksForNeither) {
  for (const std::set<std::string>& windows :
       {std::set<std::string>{}, {"Oruna_Main"}, {"<Oruna>"}, {"Oruna_Main", "<Oruna>", "Oruna_VC"}}) {
    for (const std::string args : {"/s", "", "/s --window-id 0x800C9C"}) {
      test::FakeSaverPlatform platform;
      platform.windows = windows;
      platform.host_window = HostWindowState::Usable;
      platform.host_shape = Shape(false, false);
      Main(args, platform);
      EXPECT_EQ(platform.log, (Log{"create texture dir", "load preview run form '" + args + "'"}))
          << args << " with " << windows.size() << " windows";
    }
  }
}

// The shape matters only for a run inside a usable host window: the other
// switches, and runs outside a host, go through the single-instance rule.
TEST(SettingsPreview, OnlyARunInAUsableHostWindowCanBeAPreview) {
  struct Case {
    std::string args;
    HostWindowState host;
  };
  for (const Case& c : {Case{"/s", HostWindowState::Absent}, Case{"/s", HostWindowState::NotAWindow},
                        Case{"/c", HostWindowState::Usable}, Case{"/p 5", HostWindowState::Usable}}) {
    test::FakeSaverPlatform platform;
    platform.windows = {"Oruna_Main"};
    platform.host_window = c.host;
    platform.host_shape = Shape(false, false);
    Main(c.args, platform);
    EXPECT_EQ(platform.log, (Log{"find Oruna_Main", "find <Oruna>", "end"})) << c.args;
  }
}

}  // namespace
}  // namespace oruna
