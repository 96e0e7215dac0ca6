// The dialog's three buttons as they are stored: only the form's extents, the
// caption and the font, so they load enabled, black and opaque, in the
// stored font, at the sizes of the dialog's layout.
#include <gtest/gtest.h>

#include "command_button.h"
#include "dialog_pictures.h"
#include "recording_surface.h"

namespace oruna {
namespace {

TEST(StoredButtonBags, LoadEnabledBlackOpaqueInTheStoredFont) {
  const struct {
    DialogButton button;
    const char* caption;
    int width, height;
  } buttons[] = {{DialogButton::File, "...", 41, 21}, {DialogButton::Set, "設定", 77, 25},
                 {DialogButton::Cancel, "ｷｬﾝｾﾙ", 77, 25}};
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.caption);
    const PropertyBag bag = PropertyBag::FromText(StoredButtonBag(b.button));
    EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"_extentx", "_extenty", "caption", "font"}));
    int width = 0, height = 0;
    ASSERT_TRUE(StoredExtentPixels(bag, width, height));
    EXPECT_EQ(width, b.width);
    EXPECT_EQ(height, b.height);

    RecordingSurface surface;
    RecordingContainer container;  // its ambient font differs from the stored one
    Command button(surface, container);
    button.UserControl_ReadProperties(bag);
    EXPECT_TRUE(button.EnabledValue());
    EXPECT_EQ(button.FirstRun(), 1);
    EXPECT_EQ(button.LblMsg().colour, 0);
    EXPECT_TRUE(surface.opaque);
    EXPECT_EQ(button.Caption(), b.caption);
    EXPECT_EQ(button.Font(), DesignFont());
  }
}

TEST(StoredButtonBags, PicturesDecodeAtTheirSizes) {
  EXPECT_EQ(DialogPictureOf(DialogPicture::BoxEmpty).width, 12);
  EXPECT_EQ(DialogPictureOf(DialogPicture::BoxFilled).height, 12);
  EXPECT_EQ(DialogPictureOf(DialogPicture::MetalStrip).width, 556);
  EXPECT_EQ(DialogPictureOf(DialogPicture::MetalStrip).height, 20);
  EXPECT_EQ(DialogPictureOf(DialogPicture::Icon).width, 32);
  for (int p = 0; p < kButtonPictureCount; ++p) {
    EXPECT_EQ(ButtonStatePicture(static_cast<ButtonPicture>(p)).width, 64);
    EXPECT_EQ(ButtonStatePicture(static_cast<ButtonPicture>(p)).height, 25);
  }
}

}  // namespace
}  // namespace oruna
