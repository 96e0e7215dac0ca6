// The desktop's display configuration, captured and put back, on a 1280x1024
// Xvfb screen that also offers 1024x768: switched the way a full-screen
// program switches it (the CRTC off, the screen resized, the CRTC on with
// the new mode), it comes back exactly; unchanged, nothing is sent.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
// clang-format on

#include <cstring>
#include <utility>

#include "desktop_mode_x11.h"
#include "test_support.h"
#include "x11_test_util.h"

namespace oruna {
namespace {

using test::RootSize;

class DesktopMode : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xvfb_.ok());
    ASSERT_TRUE(x11_.ok());
    ASSERT_TRUE(test::OfferMode1024x768(d()));
  }

  Display* d() const { return x11_.get(); }

  // The first CRTC's mode now.
  RRMode CrtcMode() {
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d(), DefaultRootWindow(d()));
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(d(), resources, resources->crtcs[0]);
    const RRMode mode = crtc->mode;
    XRRFreeCrtcInfo(crtc);
    XRRFreeScreenResources(resources);
    return mode;
  }

  // The first CRTC and the screen switched to the offered 1024x768 mode.
  void SwitchTo1024x768() { ASSERT_TRUE(test::SwitchTo1024x768(d())); }

  test::XvfbServer xvfb_{"1280x1024x24"};
  test::X11Connection x11_;
};

TEST_F(DesktopMode, AChangedModeComesBackOnceAndAnUnchangedOneIsLeftAlone) {
  const DesktopModeX11 desktop = DesktopModeX11::Capture(d());
  ASSERT_TRUE(desktop.captured());
  const RRMode own = CrtcMode();
  EXPECT_FALSE(desktop.Restore(d())) << "nothing changed, nothing to put back";

  ASSERT_NO_FATAL_FAILURE(SwitchTo1024x768());
  ASSERT_EQ(RootSize(d()), std::make_pair(1024, 768));
  ASSERT_NE(CrtcMode(), own);
  EXPECT_TRUE(desktop.Restore(d()));
  EXPECT_EQ(RootSize(d()), std::make_pair(1280, 1024));
  EXPECT_EQ(CrtcMode(), own);
  EXPECT_FALSE(desktop.Restore(d())) << "put back once";
}

}  // namespace
}  // namespace oruna
