// Main: the single-instance check and the dispatch on the host's switch.
#include <gtest/gtest.h>

#include "fake_saver_platform.h"
#include "saver_main.h"

namespace oruna {
namespace {

using Log = std::vector<std::string>;

const Log kCheck = {"find Oruna_Main", "find <Oruna>"};

Log Concat(const Log& a, const Log& b) {
  Log out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

Log RunMain(const std::string& argument_text, const std::set<std::string>& windows = {}) {
  test::FakeSaverPlatform platform;
  platform.windows = windows;
  Main(argument_text, platform);
  return platform.log;
}

struct DispatchCase {
  std::string argument_text;
  Log after_check;
};

class MainDispatch : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(MainDispatch, FollowsTheModeTable) {
  EXPECT_EQ(RunMain(GetParam().argument_text), Concat(kCheck, GetParam().after_check));
}

const Log kPrepare = {"create texture dir", "load settings"};

INSTANTIATE_TEST_SUITE_P(
    Modes, MainDispatch,
    ::testing::Values(
        // Run: "S" hides the cursor first; no switch at all leaves it alone.
        DispatchCase{"/s", Concat(kPrepare, {"hide cursor", "load run form '/s'"})},
        DispatchCase{"-S", Concat(kPrepare, {"hide cursor", "load run form '-S'"})},
        DispatchCase{"", Concat(kPrepare, {"load run form ''"})},
        // Settings dialog, modal; the program ends when it closes.
        DispatchCase{"/c", Concat(kPrepare, {"settings dialog", "end"})},
        DispatchCase{"/c:5000", Concat(kPrepare, {"settings dialog", "end"})},
        // Preview: no directory, no settings.
        DispatchCase{"/p 4195", {"preview 4195"}},
        DispatchCase{"/P   77", {"preview 77"}},
        DispatchCase{"/p", {"preview 0"}},
        // Anything else ends after the directory and the settings.
        DispatchCase{"/a 123", Concat(kPrepare, {"end"})},
        DispatchCase{"S", Concat(kPrepare, {"end"})},
        DispatchCase{"/x", Concat(kPrepare, {"end"})}));

TEST(MainSingleInstance, EitherTitleEndsEveryModeAfterBothLookUps) {
  for (const std::string title : {"Oruna_Main", "<Oruna>"}) {
    for (const std::string args : {"/s", "", "/c", "/p 12", "/a 1"}) {
      EXPECT_EQ(RunMain(args, {title}), Concat(kCheck, {"end"})) << title << " / " << args;
    }
  }
}

TEST(MainSingleInstance, APreviewOrRendererWindowDoesNotBlock) {
  EXPECT_EQ(RunMain("/s", {"Preview Window", "Oruna_VC"}),
            Concat(kCheck, Concat(kPrepare, {"hide cursor", "load run form '/s'"})));
}

// A host that owns the screen hands the run its window: the run draws there
// and leaves the cursor to the host; an id naming no window ends the run
// before anything is started. Other modes do not look at it.
TEST(MainHostWindow, AUsableWindowKeepsTheCursorAndABadOneEndsTheRun) {
  for (const std::string args : {"/s", ""}) {
    test::FakeSaverPlatform platform;
    platform.host_window = HostWindowState::Usable;
    Main(args, platform);
    EXPECT_EQ(platform.log, Concat(kCheck, Concat(kPrepare, {"load run form '" + args + "'"}))) << args;

    test::FakeSaverPlatform bad;
    bad.host_window = HostWindowState::NotAWindow;
    Main(args, bad);
    EXPECT_EQ(bad.log, Concat(kCheck, Concat(kPrepare, {"end"}))) << args;
  }
  test::FakeSaverPlatform dialog;
  dialog.host_window = HostWindowState::NotAWindow;
  Main("/c", dialog);
  EXPECT_EQ(dialog.log, Concat(kCheck, Concat(kPrepare, {"settings dialog", "end"})));
}

// A host cycling its hack starts the next run while the last one ends: a run
// inside a host's window waits for it. A run that stays (another monitor's)
// leaves this one a renderer alone. Outside a host's window, or for other
// switches, the single-instance rule holds as before.
TEST(MainHostWindow, ARunInAHostWindowWaitsForTheOtherRunOrBecomesARenderer) {
  const std::string wait = "wait " + std::to_string(kLastRunEndWaitMs) + " for Oruna_Main to go";
  for (const bool ends : {true, false}) {
    test::FakeSaverPlatform platform;
    platform.windows = {"Oruna_Main"};
    platform.host_window = HostWindowState::Usable;
    platform.titles_go_on_wait = ends;
    Main("/s", platform);
    EXPECT_EQ(platform.log, Concat(kCheck, ends ? Concat({wait}, Concat(kPrepare, {"load run form '/s'"}))
                                                : Log{wait, "become renderer", "end"}));
  }
  struct Case {
    std::string args;
    std::set<std::string> windows;
    HostWindowState host;
  };
  // Started at the same instant as another run, a run finds no other form
  // at the look-up, but the other's form when it loads its own: the same
  // rule then holds.
  for (const bool ends : {true, false}) {
    test::FakeSaverPlatform platform;
    platform.host_window = HostWindowState::Usable;
    platform.run_form_taken = 1;
    platform.titles_go_on_wait = ends;
    Main("/s", platform);
    EXPECT_EQ(platform.log, Concat(Concat(kCheck, kPrepare), ends ? Log{"run form taken", wait, "load run form '/s'"}
                                                  : Log{"run form taken", wait, "become renderer", "end"}));
  }
  test::FakeSaverPlatform outside;
  outside.run_form_taken = 1;
  Main("/s", outside);
  EXPECT_EQ(outside.log.back(), "end") << "outside a host's window the later run ends";
  for (const Case& c : {Case{"/s", {"Oruna_Main"}, HostWindowState::Absent},
                        Case{"/s", {"Oruna_Main", "<Oruna>"}, HostWindowState::Usable},
                        Case{"/s", {"<Oruna>"}, HostWindowState::Usable},
                        Case{"/c", {"Oruna_Main"}, HostWindowState::Usable},
                        Case{"/p 5", {"Oruna_Main"}, HostWindowState::Usable}}) {
    test::FakeSaverPlatform platform;
    platform.windows = c.windows;
    platform.host_window = c.host;
    platform.titles_go_on_wait = true;
    Main(c.args, platform);
    EXPECT_EQ(platform.log, Concat(kCheck, {"end"})) << c.args << " " << c.windows.size();
  }
}

}  // namespace
}  // namespace oruna
