// The GTK view of the button on a private Xvfb: the pixels of a 77 x 25
// button (frame pieces, gradient, caption), the hover poll's pointer-window
// query with the pointer moved in and another window moved over it,
// pointer input reaching the logic, and a disabled button out of the focus
// chain.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "button_gtk.h"
#include "test_support.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;

struct Rgb {
  int r, g, b;
};

// Runs GTK's loop for a while, so that timers, events and drawing happen.
void Spin(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    test::SleepMs(2);
  }
}

template <typename F>
bool SpinUntil(F condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    Spin(5ms);
  }
  return true;
}

class ButtonViewTest : public ::testing::Test {
 protected:
  // GTK connects to one display per process: one Xvfb serves all cases.
  static void SetUpTestSuite() {
    xvfb_ = new test::XvfbServer();
    gdk_set_allowed_backends("x11");
    gtk_ready_ = xvfb_->ok() && gtk_init_check(nullptr, nullptr);
  }
  static void TearDownTestSuite() {
    delete xvfb_;
    xvfb_ = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(gtk_ready_);
    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_move(GTK_WINDOW(window_), 0, 0);
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, 200, 60);
    gtk_container_add(GTK_CONTAINER(window_), fixed);
    button_ = std::make_unique<CommandGtk>(DesignFont());
    button_->OnClick([this] { ++clicks_; });
    button_->Load(PropertyBag::FromText("_extentx = 2037\n_extenty = 661\ncaption = \"設定\"\n"));
    gtk_fixed_put(GTK_FIXED(fixed), button_->widget(), 10, 10);
    // A text field before it takes the window's first focus, as in the dialog.
    GtkWidget* entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(entry), 3);
    gtk_fixed_put(GTK_FIXED(fixed), entry, 120, 0);
    gtk_widget_show_all(window_);
    button_->control().Initialize();
    display_ = gdk_x11_display_get_xdisplay(gdk_display_get_default());
    ASSERT_TRUE(SpinUntil([&] { return gtk_widget_get_mapped(button_->widget()); }, 5s));
    Spin(200ms);
  }

  void TearDown() override {
    if (window_ != nullptr) gtk_widget_destroy(window_);
    button_.reset();
    Spin(20ms);
  }

  // Pointer moves through XTest, as a user's would.
  void MovePointer(int x, int y) {
    ASSERT_NE(button_->control().ButtonState(), kStateFocused);
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XFlush(display_);
  }

  Rgb Pixel(int x, int y) {
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(gtk_widget_get_window(window_), 10 + x, 10 + y, 1, 1);
    const guchar* p = gdk_pixbuf_get_pixels(pixbuf);
    const Rgb rgb{p[0], p[1], p[2]};
    g_object_unref(pixbuf);
    return rgb;
  }

  static inline test::XvfbServer* xvfb_ = nullptr;
  static inline bool gtk_ready_ = false;
  GtkWidget* window_ = nullptr;
  std::unique_ptr<CommandGtk> button_;
  Display* display_ = nullptr;
  int clicks_ = 0;
};

void ExpectNear(const Rgb& got, const Rgb& want, int tolerance) {
  EXPECT_NEAR(got.r, want.r, tolerance);
  EXPECT_NEAR(got.g, want.g, tolerance);
  EXPECT_NEAR(got.b, want.b, tolerance);
}

TEST_F(ButtonViewTest, DialogButtonShowsFourPixelFrameAroundTheGradient) {
  ASSERT_EQ(gtk_widget_get_allocated_width(button_->widget()), 77);
  ASSERT_EQ(gtk_widget_get_allocated_height(button_->widget()), 25);
  // The picture's dark blue border along every side, 4-pixel pieces.
  for (const auto& [x, y] : {std::pair{38, 0}, {38, 24}, {0, 12}, {76, 12}}) ExpectNear(Pixel(x, y), {0, 60, 116}, 12);
  // State 1: white at the top row of the gradient, the shade at the bottom;
  // the centre (columns 4 to 72) shows rows 4 to 20 of it.
  const auto gradient_row = [](int y) {
    const double t = y / 24.0;
    return Rgb{static_cast<int>(255 + (198 - 255) * t), static_cast<int>(255 + (197 - 255) * t),
               static_cast<int>(255 + (215 - 255) * t)};
  };
  for (int y : {4, 8, 20}) ExpectNear(Pixel(6, y), gradient_row(y), 3);
  ExpectNear(Pixel(72, 12), gradient_row(12), 3);
  // The caption is drawn in black somewhere across the middle.
  int darkest = 255;
  for (int x = 20; x < 57; ++x)
    for (int y = 5; y < 20; ++y) darkest = std::min(darkest, Pixel(x, y).r);
  EXPECT_LT(darkest, 80);
}

TEST_F(ButtonViewTest, HoverPollSeesTheWindowUnderThePointer) {
  Command& control = button_->control();
  MovePointer(150, 40);  // over the form, beside the button
  Spin(150ms);
  MovePointer(40, 20);
  ASSERT_TRUE(SpinUntil([&] { return control.ButtonState() == kStateHover; }, 2s));
  Spin(300ms);  // polls over the button (and over its caption) keep it
  EXPECT_EQ(control.ButtonState(), kStateHover);
  ExpectNear(Pixel(38, 4), {208, 207, 222}, 4);  // the shade on top while hovered

  // Another program's window moved over the button: a leave at the next poll.
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  const Window cover = XCreateWindow(other, DefaultRootWindow(other), 0, 0, 300, 100, 0, CopyFromParent, InputOutput,
                                     CopyFromParent, CWOverrideRedirect, &attributes);
  XMapRaised(other, cover);
  XSync(other, False);
  EXPECT_TRUE(SpinUntil([&] { return control.ButtonState() == kStateNormal; }, 1s));
  XDestroyWindow(other, cover);
  XCloseDisplay(other);
}

TEST_F(ButtonViewTest, PressAndReleaseClickAndTakeFocus) {
  MovePointer(40, 20);
  ASSERT_TRUE(SpinUntil([&] { return button_->control().ButtonState() == kStateHover; }, 2s));
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XFlush(display_);
  ASSERT_TRUE(SpinUntil([&] { return button_->control().ButtonHeld(); }, 2s));
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XFlush(display_);
  EXPECT_TRUE(SpinUntil([&] { return clicks_ == 1; }, 2s));
  EXPECT_TRUE(gtk_widget_is_focus(button_->widget()));
  // A right click clicks as well.
  XTestFakeButtonEvent(display_, 3, True, CurrentTime);
  XTestFakeButtonEvent(display_, 3, False, CurrentTime);
  XFlush(display_);
  EXPECT_TRUE(SpinUntil([&] { return clicks_ == 2; }, 2s));
}

// The file button of the settings dialog: focused, disabled (another kind),
// enabled again. While disabled, Tab passes it by; the focus it lost is
// followed, so the next click clicks.
TEST_F(ButtonViewTest, DisabledButtonTakesNoFocusAndClicksAgainWhenEnabled) {
  Command& control = button_->control();
  // The window holds the keyboard focus, as the active window of a desktop.
  XSetInputFocus(display_, GDK_WINDOW_XID(gtk_widget_get_window(window_)), RevertToParent, CurrentTime);
  XFlush(display_);
  gtk_widget_grab_focus(button_->widget());
  ASSERT_TRUE(SpinUntil([&] { return control.ButtonState() == kStateFocused; }, 2s));
  control.SetEnabled(false);
  Spin(50ms);
  EXPECT_FALSE(gtk_widget_has_focus(button_->widget()));
  EXPECT_EQ(control.ButtonState(), kStateNormal);
  for (int i = 0; i < 4; ++i) {
    gtk_widget_child_focus(window_, GTK_DIR_TAB_FORWARD);
    EXPECT_FALSE(gtk_widget_has_focus(button_->widget())) << "Tab " << i;
  }
  control.SetEnabled(true);
  MovePointer(40, 20);
  ASSERT_TRUE(SpinUntil([&] { return control.ButtonState() == kStateHover; }, 2s));
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XFlush(display_);
  EXPECT_TRUE(SpinUntil([&] { return clicks_ == 1; }, 2s));
}

}  // namespace
}  // namespace oruna
