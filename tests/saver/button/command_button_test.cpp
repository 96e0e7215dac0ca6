// The button's looks and input through a recording surface: state
// transitions with the pictures and gradient directions they paint, the
// hover poll, the Click rule, and the frame geometry.
#include <gtest/gtest.h>

#include "command_button.h"
#include "recording_surface.h"

namespace oruna {
namespace {

using P = ButtonPicture;

class CommandTest : public ::testing::Test {
 protected:
  CommandTest() { button_.SetEnabled(true); }

  // A button as the settings dialog has it: enabled and initialised.
  void Initialise() {
    button_.Initialize();
    surface_.paints.clear();
  }
  void Move() { button_.UserControl_MouseMove(0, 0, 10, 10); }
  void Down(int button = kLeftButton) { button_.UserControl_MouseDown(button, 0, 10, 10); }
  void Up(int button = kLeftButton) { button_.UserControl_MouseUp(button, 0, 10, 10); }
  void PollOutside() {
    surface_.pointer_window = RecordingSurface::kParent;
    button_.TmrMouse_Timer();
  }
  void PollOverOtherWindow() {
    surface_.pointer_window = RecordingSurface::kOther;
    button_.TmrMouse_Timer();
  }
  void PollInside() {
    surface_.pointer_window = RecordingSurface::kOwn;
    button_.TmrMouse_Timer();
  }
  // The pictures painted since the last call, with the gradient direction
  // of each ("shade" when the shade was at the top).
  std::vector<Painted> Taken() {
    std::vector<Painted> out = surface_.paints;
    surface_.paints.clear();
    return out;
  }

  RecordingSurface surface_;
  RecordingContainer container_;
  Command button_{surface_, container_};
};

TEST_F(CommandTest, ClickingAnUnfocusedButtonRunsThroughHoverPressAndFocus) {
  Initialise();
  Move();
  EXPECT_EQ(button_.ButtonState(), kStateHover);
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::HighLight, true}}));
  Down();
  EXPECT_TRUE(button_.ButtonHeld());
  button_.UserControl_GotFocus();
  EXPECT_EQ(button_.ButtonState(), kStateFocusedHover);
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::Pressed, true}, {P::Pressed, true}}));
  Up();
  EXPECT_FALSE(button_.ButtonHeld());
  EXPECT_EQ(container_.clicks, 1);
  // Entered from state 2, the focused hover keeps the shade at the top.
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::HighLightSelect, true}}));
  PollOutside();
  EXPECT_EQ(button_.ButtonState(), kStateFocused);
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::Selected, false}}));
  button_.UserControl_LostFocus();
  EXPECT_EQ(button_.ButtonState(), kStateNormal);
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::Normal, false}}));
}

TEST_F(CommandTest, ClickingTheFocusedButtonShowsWhiteAtTheTop) {
  Initialise();
  button_.UserControl_GotFocus();
  Move();
  EXPECT_EQ(button_.ButtonState(), kStateFocusedHover);
  Down();
  Up();
  EXPECT_EQ(container_.clicks, 1);
  EXPECT_EQ(Taken(), (std::vector<Painted>{
                         {P::Selected, false}, {P::HighLightSelect, false}, {P::Pressed, false}, {P::HighLightSelect, false}}));
}

TEST_F(CommandTest, DraggingOffCancelsTheClickEvenAfterComingBack) {
  Initialise();
  button_.UserControl_GotFocus();
  Move();
  Down();
  PollOverOtherWindow();  // another window counts as outside as well
  EXPECT_EQ(button_.ButtonState(), kStateFocused);
  Move();  // back in while still holding: nothing changes
  EXPECT_EQ(button_.ButtonState(), kStateFocused);
  Up();
  EXPECT_EQ(container_.clicks, 0);
  EXPECT_FALSE(button_.ButtonHeld());
  Move();  // no longer held: the hover look returns
  EXPECT_EQ(button_.ButtonState(), kStateFocusedHover);
}

TEST_F(CommandTest, LeftReleaseWithoutFocusPaintsNormalAndClicks) {
  Initialise();
  Move();
  Down();
  Taken();
  Up();
  EXPECT_EQ(container_.clicks, 1);
  EXPECT_EQ(button_.ButtonState(), kStateHover);
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::Normal, true}}));
  Move();  // HighLight only comes back after leaving
  EXPECT_TRUE(Taken().empty());
  PollOutside();
  Move();
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::Normal, false}, {P::HighLight, true}}));
}

TEST_F(CommandTest, OtherButtonsClickOnReleaseButPaintNothing) {
  Initialise();
  Down(kRightButton);
  Up(kRightButton);
  Down(kMiddleButton);
  Up(kMiddleButton);
  EXPECT_EQ(container_.clicks, 2);
  EXPECT_TRUE(Taken().empty());
  EXPECT_FALSE(button_.ButtonHeld());
  // A right release does not clear a held left button.
  Down();
  Up(kRightButton);
  EXPECT_TRUE(button_.ButtonHeld());
  // In state 3 no release clicks.
  button_.UserControl_GotFocus();
  Up(kRightButton);
  EXPECT_EQ(container_.clicks, 3);
}

TEST_F(CommandTest, PollPaintsOnlyOnRealTransitions) {
  Initialise();
  EXPECT_EQ(surface_.timer_interval, 100);
  // Over the caption the pointer query finds the button's own window.
  button_.LblMsg_MouseMove(0, 0, 1, 1);
  Taken();
  PollInside();
  EXPECT_EQ(button_.ButtonState(), kStateHover);
  PollOutside();
  Taken();
  for (int i = 0; i < 5; ++i) PollOutside();
  button_.UserControl_GotFocus();
  Taken();
  for (int i = 0; i < 5; ++i) PollOverOtherWindow();
  EXPECT_TRUE(Taken().empty());
  EXPECT_EQ(button_.ButtonState(), kStateFocused);
}

TEST_F(CommandTest, NeverInitialisedButtonHasNoHoverButStillClicks) {
  Taken();
  Move();
  EXPECT_TRUE(Taken().empty());
  EXPECT_EQ(surface_.timer_interval, 0);
  Down();
  EXPECT_EQ(Taken().at(0).picture, P::Pressed);
  Up();
  EXPECT_TRUE(Taken().empty());
  EXPECT_EQ(container_.clicks, 1);
  button_.UserControl_GotFocus();
  EXPECT_EQ(button_.ButtonState(), kStateFocused);
  button_.UserControl_LostFocus();
  EXPECT_EQ(button_.ButtonState(), kStateNormal);
}

TEST_F(CommandTest, DisabledButtonIgnoresInputAndShowsGreyedCaption) {
  Initialise();
  Move();
  button_.SetEnabled(false);
  EXPECT_EQ(Taken().back().picture, P::Disable);
  EXPECT_FALSE(surface_.caption.enabled);
  Move();
  Down();
  Up();
  Up(kRightButton);
  PollOutside();
  EXPECT_TRUE(Taken().empty());
  EXPECT_EQ(container_.clicks, 0);
  EXPECT_EQ(button_.ButtonState(), kStateHover);  // the pointer state stands as it was
}

// The file button of the settings dialog: clicked (focus), disabled by
// another kind (the focus leaves while it is disabled), enabled again and
// clicked once more. That second click must click.
TEST_F(CommandTest, FocusLostWhileDisabledIsFollowedSoTheNextClickCounts) {
  Initialise();
  Move();
  Down();
  button_.UserControl_GotFocus();
  Up();
  PollOutside();
  ASSERT_EQ(container_.clicks, 1);
  ASSERT_EQ(button_.ButtonState(), kStateFocused);
  button_.SetEnabled(false);
  Taken();
  button_.UserControl_LostFocus();
  EXPECT_EQ(button_.ButtonState(), kStateNormal);
  EXPECT_TRUE(Taken().empty());  // it keeps its Disable look
  button_.SetEnabled(true);
  Taken();
  Move();
  Down();
  button_.UserControl_GotFocus();
  Up();
  EXPECT_EQ(container_.clicks, 2);
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::HighLight, true}, {P::Pressed, true}, {P::Pressed, true},
                                           {P::HighLightSelect, true}}));
  // Focus arriving while disabled is followed too, without a paint.
  button_.SetEnabled(false);
  Taken();
  PollOutside();
  button_.UserControl_LostFocus();
  button_.UserControl_GotFocus();
  EXPECT_EQ(button_.ButtonState(), kStateFocused);
  EXPECT_TRUE(Taken().empty());
}

TEST_F(CommandTest, EnabledChangeAndResizeRepaintButKeepTheState) {
  Initialise();
  Move();
  button_.SetEnabled(true);
  button_.UserControl_Resize();
  EXPECT_EQ(Taken(), (std::vector<Painted>{{P::HighLight, true}, {P::Normal, true}, {P::Normal, true}}));
  EXPECT_EQ(button_.ButtonState(), kStateHover);
  PollOutside();  // the next transition starts from state 2
  EXPECT_EQ(button_.ButtonState(), kStateNormal);
}

TEST(CommandGeometry, DialogSizedButtonHasFourPixelFrameAndCentredCaption) {
  RecordingSurface surface;
  RecordingContainer container;
  surface.width_px = 77;
  surface.height_px = 25;
  surface.caption_height = 195;
  Command button(surface, container);
  button.SetEnabled(true);
  const std::vector<TwipsRect> expected_dest = {
      {1, 1, 60, 60},        {60, 1, 1035, 60},    {1095, 1, 60, 60},  {1095, 60, 60, 255},
      {1095, 315, 60, 60},   {60, 315, 1035, 60},  {1, 315, 60, 60},   {1, 60, 60, 255}};
  const std::vector<TwipsRect> expected_source = {
      {0, 0, 60, 60},     {60, 1, 840, 60},   {900, 1, 60, 60},  {900, 60, 60, 255},
      {900, 315, 60, 60}, {60, 315, 840, 60}, {0, 315, 60, 60},  {1, 60, 60, 255}};
  EXPECT_EQ(surface.last_dest, expected_dest);
  EXPECT_EQ(surface.last_source, expected_source);
  // The gradient spans the surface in pixels; the caption sits 10 twips
  // above the vertical centre, across the whole width.
  EXPECT_EQ(surface.gradient_bottom.x, 76);
  EXPECT_EQ(surface.gradient_bottom.y, 24);
  EXPECT_DOUBLE_EQ(surface.caption.top, 80);
  EXPECT_DOUBLE_EQ(surface.caption.width, 1155);
}

TEST(CommandGeometry, TinyButtonHasNoStretchedMiddle) {
  RecordingSurface surface;
  RecordingContainer container;
  surface.width_px = 5;
  surface.height_px = 3;
  Command button(surface, container);
  button.SetEnabled(true);
  EXPECT_EQ(surface.last_dest.at(1).width, 0);
  EXPECT_EQ(surface.last_dest.at(3).height, 0);
}

TEST(CommandGradient, LiteralsGiveRedGreenBlueInTextOrder) {
  const GradientVertex shade = GradientColour("&HC6C5D7");
  EXPECT_EQ(shade.red, 198 * 256);
  EXPECT_EQ(shade.green, 197 * 256);
  EXPECT_EQ(shade.blue, 215 * 256);
  EXPECT_EQ(GradientColour("&HFFFFFF").red, 0xFF00);
}

}  // namespace
}  // namespace oruna
