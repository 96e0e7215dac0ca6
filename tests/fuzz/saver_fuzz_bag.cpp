// libFuzzer target: arbitrary bytes as a button's stored property text.
// Reading must never crash; the text the bag writes must read back as the
// same bag (same keys in the same order, equal values) and write the same
// text again; the conversions the button applies to each value must take
// whatever the text holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "property_bag.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const oruna::PropertyBag bag = oruna::PropertyBag::FromText(text);

  const std::string written = bag.ToText();
  const oruna::PropertyBag again = oruna::PropertyBag::FromText(written);
  Check(again.Keys() == bag.Keys());
  Check(again.ToText() == written);
  for (const std::string& key : bag.Keys()) {
    const oruna::PropertyValue value = bag.ReadProperty(key, false);
    Check(oruna::PropertyValuesEqual(again.ReadProperty(key, true), value));
    (void)oruna::PropertyAsBool(value);
    (void)oruna::PropertyAsInteger(value, -32768, 32767);
    (void)oruna::PropertyAsText(value);
    (void)oruna::PropertyAsFont(value);
  }
  int width = 0, height = 0;
  if (oruna::StoredExtentPixels(bag, width, height)) Check(width >= 0 && height >= 0);
  return 0;
}
