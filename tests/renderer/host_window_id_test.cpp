// The host's window id in the environment: the forms hosts write, and values
// that must not be taken for a window.
#include <gtest/gtest.h>

#include "host_window.h"

namespace oruna {
namespace {

TEST(HostWindowId, ReadsHexadecimalAndDecimalIds) {
  EXPECT_EQ(ParseWindowId("0x1a00003"), 0x1a00003u);
  EXPECT_EQ(ParseWindowId("0X1A00003"), 0x1a00003u);
  EXPECT_EQ(ParseWindowId("27262979"), 27262979u);
  EXPECT_EQ(ParseWindowId(" 0x10\n"), 16u);
  EXPECT_EQ(ParseWindowId("4294967295"), 4294967295u);
  EXPECT_EQ(ParseWindowId("0xffffffff"), 4294967295u);
}

TEST(HostWindowId, RefusesWhatNamesNoWindow) {
  for (const char* text : {"", "  ", "0x", "0", "0x0", "abc", "12a", "0x1g", "-5", "+5", "1 2", "0x 1",
                           "4294967296", "0x100000000", "99999999999999999999999", "0xfffffffffffffffff"})
    EXPECT_EQ(ParseWindowId(text), std::nullopt) << "'" << text << "'";
}

// Unset or empty: a normal run. Set to anything else: a host window, which a
// value that is no id cannot be.
TEST(HostWindowId, TheVariableAsARequest) {
  EXPECT_FALSE(HostWindowFromValue(nullptr).requested);
  EXPECT_FALSE(HostWindowFromValue("").requested);
  EXPECT_FALSE(HostWindowFromValue(" ").requested);
  const HostWindowRequest good = HostWindowFromValue("0x200001");
  EXPECT_TRUE(good.requested);
  EXPECT_EQ(good.window, 0x200001u);
  const HostWindowRequest bad = HostWindowFromValue("window");
  EXPECT_TRUE(bad.requested);
  EXPECT_EQ(bad.window, std::nullopt);
}

}  // namespace
}  // namespace oruna
