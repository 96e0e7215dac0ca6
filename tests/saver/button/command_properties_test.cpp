// The button's properties and its storage in the form's property bag: the
// first use of a new instance, the caption look, the bag's keys, defaults,
// order and text form, and values that cannot be converted.
#include <gtest/gtest.h>

#include "command_button.h"
#include "property_bag.h"
#include "recording_surface.h"

namespace oruna {
namespace {

using P = ButtonPicture;

struct Instance {
  RecordingSurface surface;
  RecordingContainer container;
  Command button{surface, container};
};

TEST(CommandProperties, NewInstanceTurnsOnAtTheFirstReadOfEnabled) {
  Instance i;
  EXPECT_FALSE(i.button.EnabledValue());
  EXPECT_EQ(i.button.FirstRun(), 0);
  i.button.UserControl_Resize();  // the container's sizing
  EXPECT_EQ(i.surface.paints.back().picture, P::Disable);
  EXPECT_FALSE(i.surface.caption.enabled);

  EXPECT_TRUE(i.button.Enabled());
  EXPECT_EQ(i.button.FirstRun(), 1);
  EXPECT_EQ(i.surface.paints.back().picture, P::Normal);
  EXPECT_TRUE(i.surface.caption.enabled);

  // Later reads return the stored value and repaint.
  i.button.SetEnabled(false);
  i.surface.paints.clear();
  EXPECT_FALSE(i.button.Enabled());
  EXPECT_EQ(i.surface.paints, (std::vector<Painted>{{P::Disable, false}}));
}

TEST(CommandProperties, NewInstanceResetsItsCaptionColourToBlack) {
  // Enabled set before the first read: that read's caption look turns the
  // caption black.
  Instance a;
  a.button.SetEnabled(true);
  a.button.SetFontColour(0x0000FF);
  EXPECT_EQ(a.surface.caption.colour, 0);  // the look that follows the write reset it
  EXPECT_EQ(a.container.changed.back(), "FontColour");
  a.button.Enabled();
  EXPECT_EQ(a.button.FirstRun(), 1);
  a.button.SetFontColour(0x0000FF);
  EXPECT_EQ(a.surface.caption.colour, 0x0000FF);  // kept once the first use is over
  EXPECT_EQ(a.button.FontColour(), 0x0000FF);
}

TEST(CommandProperties, VisibleSwitchesTheBackgroundStyle) {
  Instance i;
  i.button.Enabled();
  i.button.SetVisible(0);
  EXPECT_FALSE(i.surface.opaque);
  EXPECT_EQ(i.button.Visible(), 0);
  i.surface.paints.clear();
  i.button.SetVisible(7);
  EXPECT_TRUE(i.surface.opaque);
  EXPECT_EQ(i.button.Visible(), 255);
  // The write and the read of an opaque button each repaint it.
  EXPECT_EQ(i.surface.paints.size(), 2u);
}

TEST(CommandProperties, CaptionAndFontDoNotRepaintOrMove) {
  Instance i;
  i.button.Enabled();
  const double top = i.surface.caption.top;
  i.surface.paints.clear();
  i.surface.caption_height = 400;
  i.button.SetCaption("設定");
  i.button.SetFont(FontObject{"VL Gothic", 12, 700, true, false, false, 128});
  EXPECT_TRUE(i.surface.paints.empty());
  EXPECT_EQ(i.surface.caption.text, "設定");
  EXPECT_EQ(i.surface.caption.font.weight, 700);
  EXPECT_DOUBLE_EQ(i.surface.caption.top, top);
  EXPECT_EQ(i.container.changed, (std::vector<std::string>{"Caption", "Font"}));
}

TEST(CommandBag, ChangedValuesRoundTripThroughStoredText) {
  Instance a;
  a.button.Enabled();
  a.button.SetCaption("ｷｬﾝｾﾙ \"quoted\" \\ back");
  a.button.SetFont(FontObject{"VL Gothic", 10.5, 700, true, true, false, 128});
  a.button.SetFontColour(0x123456);
  a.button.SetVisible(0);
  a.button.SetEnabled(false);
  PropertyBag bag;
  a.button.UserControl_WriteProperties(bag);
  // Written in order; FirstRun 1 equals its default "1" and is left out.
  EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"enabled", "caption", "font", "fontcolour", "visible"}));

  Instance b;
  b.button.UserControl_ReadProperties(PropertyBag::FromText(bag.ToText()));
  EXPECT_FALSE(b.button.EnabledValue());
  EXPECT_EQ(b.button.Caption(), a.button.Caption());
  EXPECT_EQ(b.button.Font(), a.button.Font());
  EXPECT_EQ(b.button.FontColour(), 0x123456);
  EXPECT_EQ(b.button.Visible(), 0);
  EXPECT_EQ(b.button.FirstRun(), 1);
}

TEST(CommandBag, DefaultsAreNotStoredAndReadBackWithReadDefaults) {
  Instance a;
  a.button.Enabled();  // enabled, "Command", FirstRun 1, black, opaque
  a.button.SetFont(a.container.ambient);
  PropertyBag bag;
  a.button.UserControl_WriteProperties(bag);
  EXPECT_EQ(bag.size(), 0u);
  EXPECT_EQ(bag.ToText(), "");

  // An empty bag: enabled, "Command1", the ambient font, black, opaque.
  Instance b;
  b.container.ambient = FontObject{"VL PGothic", 11, 400, false, false, false, 128};
  b.button.UserControl_ReadProperties(bag);
  EXPECT_TRUE(b.button.EnabledValue());
  EXPECT_EQ(b.button.Caption(), "Command1");
  EXPECT_EQ(b.button.Font(), b.container.ambient);
  EXPECT_EQ(b.button.FontColour(), 0);
  EXPECT_EQ(b.button.Visible(), 255);
  EXPECT_EQ(b.button.FirstRun(), 1);
  EXPECT_EQ(b.surface.paints.back().picture, P::Normal);
}

TEST(CommandBag, ReadingPaintsDisabledAfterOrBeforeSizing) {
  // Sizing first (paints Disable), then a bag that keeps the button off.
  Instance a;
  a.button.UserControl_Resize();
  a.button.UserControl_ReadProperties(PropertyBag::FromText("enabled = false\n"));
  EXPECT_EQ(a.surface.paints.back().picture, P::Disable);
  // Bag first, sizing after.
  Instance b;
  b.button.UserControl_ReadProperties(PropertyBag::FromText("Enabled = 0\n"));
  b.button.UserControl_Resize();
  EXPECT_EQ(b.surface.paints.back().picture, P::Disable);
  EXPECT_FALSE(b.surface.caption.enabled);
}

TEST(CommandBag, KeysMatchWithoutRegardToCase) {
  Instance i;
  i.button.UserControl_ReadProperties(
      PropertyBag::FromText("CAPTION = \"Go\"\nFontColour = 255\nvIsIbLe = 0\nENABLED = False\n"));
  EXPECT_EQ(i.button.Caption(), "Go");
  EXPECT_EQ(i.button.LblMsg().colour, 255);
  EXPECT_EQ(i.button.Visible(), 0);
  EXPECT_FALSE(i.button.EnabledValue());
}

TEST(CommandBag, ValuesThatCannotBeConvertedLeaveThePropertyAsItWas) {
  Instance i;
  i.button.UserControl_ReadProperties(PropertyBag::FromText(
      "enabled = maybe\nfirstrun = 300\nfontcolour = red\nvisible = 5\ncaption = \"unterminated\nfont = 9\n"));
  EXPECT_FALSE(i.button.EnabledValue());  // as created
  EXPECT_EQ(i.button.FirstRun(), 0);
  EXPECT_EQ(i.button.LblMsg().colour, 0);
  EXPECT_EQ(i.button.Caption(), "Command1");  // the broken line is skipped: the key reads its default
  EXPECT_EQ(i.button.Font(), DesignFont());    // "9" is no font
  EXPECT_EQ(i.button.Visible(), 255);
}

TEST(PropertyBagText, NumbersAndTextsCompareWithTextDefaults) {
  PropertyBag bag;
  bag.WriteProperty("FirstRun", int64_t{1}, std::string("1"));
  bag.WriteProperty("Visible", int64_t{1}, std::string("1"));
  bag.WriteProperty("Caption", std::string("1"), std::string("1"));
  EXPECT_EQ(bag.size(), 0u);
  bag.WriteProperty("FirstRun", int64_t{0}, std::string("1"));
  EXPECT_EQ(bag.ToText(), "firstrun = 0\n");
  // Back to the default: the key is taken out again.
  bag.WriteProperty("FIRSTRUN", int64_t{1}, std::string("1"));
  EXPECT_FALSE(bag.Contains("firstrun"));
}

TEST(PropertyBagText, CommentsUnknownKeysAndRepeatsAreHandled) {
  const PropertyBag bag = PropertyBag::FromText(
      "# a comment\r\n\r\n_extentx = 2037\r\n_extenty = 661\r\ncaption = \"A\"\r\ncaption = \"B\"\r\nno equals\r\n");
  EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"_extentx", "_extenty", "caption"}));
  EXPECT_EQ(std::get<std::string>(bag.ReadProperty("Caption", std::string())), "A");
  int width = 0, height = 0;
  ASSERT_TRUE(StoredExtentPixels(bag, width, height));
  EXPECT_EQ(width, 77);
  EXPECT_EQ(height, 25);
  EXPECT_FALSE(StoredExtentPixels(PropertyBag::FromText("_extentx = 10\n"), width, height));
}

// Font sizes are kept to four decimals. A size that rounds to nothing would
// be written as 0 and lost at the next read, and a huge one was cut short
// by the writer; both are refused when read, and every size that is read
// comes back from the written text unchanged, as rounded when read.
TEST(PropertyBagText, FontSizesThatCannotRoundTripAreRefused) {
  const PropertyBag bag = PropertyBag::FromText(
      "a = \"X\", 0.00004, 400, 128, 0, 0, 0\n"
      "b = \"X\", 0.00005, 400, 128, 0, 0, 0\n"
      "c = \"X\", 1e300, 400, 128, 0, 0, 0\n"
      "d = \"X\", 123456789012.5, 700, 0, 1, 0, 1\n"
      "e = \"X\", 9.75715, 400, 128, 0, 0, 0\n");
  EXPECT_EQ(bag.Keys(), (std::vector<std::string>{"b", "d", "e"}));
  // Compared as 97572 ten-thousandths but printed as 9.7571 when kept
  // whole (the double lies just below 9.75715): read as 9.7572 instead.
  EXPECT_EQ(bag.ToText(),
            "b = \"X\", 0.0001, 400, 128, 0, 0, 0\n"
            "d = \"X\", 123456789012.5, 700, 0, 1, 0, 1\n"
            "e = \"X\", 9.7572, 400, 128, 0, 0, 0\n");
  EXPECT_TRUE(PropertyValuesEqual(bag.ReadProperty("e", false),
                                  PropertyBag::FromText(bag.ToText()).ReadProperty("e", true)));
  EXPECT_EQ(PropertyBag::FromText(bag.ToText()).ToText(), bag.ToText());

  PropertyBag written;
  written.WriteProperty("Font", FontObject{"Y", 1e20, 400, false, false, false, 0}, DesignFont());
  // "1" followed by twenty zeros, not a number cut off by a short buffer.
  EXPECT_EQ(written.ToText(), "font = \"Y\", " + std::string("1") + std::string(20, '0') + ", 400, 0, 0, 0, 0\n");
}

}  // namespace
}  // namespace oruna
