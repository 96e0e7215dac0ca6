// libFuzzer target: arbitrary bytes as a settings file. Reading must never
// crash or hang; a write must be read back as written and leave every other
// key as it was; a second identical write must change nothing; the number
// rules and the CP932 conversion must take whatever the file holds; a file's
// text, in whatever encoding its mark names, must be stored back and read
// again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "code_page.h"
#include "ini_encoding.h"
#include "ini_format.h"
#include "ini_number.h"

namespace {

using oruna::IniBytesMatch;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::optional<std::string> Find(std::string_view text, const char* section, const char* key) {
  return oruna::IniFindValue(text, IniBytesMatch(section), IniBytesMatch(key));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // The charset path: names compared as CP932 text, values converted.
  // The same for every input: converted once, as each conversion opens a
  // converter, which costs more than the rest of a run.
  static const std::string wanted = oruna::FromCodePage(oruna::ToCodePage("BGM区分", "CP932"), "CP932");
  const auto cp932_key = [&](std::string_view found) {
    return oruna::AsciiEqualNoCase(oruna::FromCodePage(found, "CP932"), wanted);
  };
  if (const auto value = oruna::IniFindValue(text, IniBytesMatch("Section"), cp932_key)) {
    int16_t kind = 1;
    oruna::ApplyIniNumber(oruna::FromCodePage(*value, "CP932"), kind);
  }
  (void)oruna::ToCodePage(text, "CP932");
  if (size < 64) (void)oruna::ParseIniNumber(text);

  const oruna::IniFileText decoded = oruna::DecodeIniFile(text);
  const std::optional<std::string> encoded = oruna::EncodeIniFile(decoded);
  Check(encoded.has_value());
  Check(oruna::DecodeIniFile(*encoded).text == decoded.text);
  Check(oruna::DecodeIniFile(*encoded).encoding == decoded.encoding);

  const std::string value = "C:\\Music\\a b.mp3";
  const auto written = oruna::IniSetValue(text, IniBytesMatch("Section"), IniBytesMatch("Key"),
                                          oruna::IniAssignment{"Section", "Key", value});
  Check(written.has_value());
  Check(Find(*written, "Section", "Key") == value);
  Check(Find(*written, "section", "other") == Find(text, "section", "other"));
  Check(Find(*written, "Elsewhere", "Key") == Find(text, "Elsewhere", "Key"));
  const auto again = oruna::IniSetValue(*written, IniBytesMatch("Section"), IniBytesMatch("Key"),
                                        oruna::IniAssignment{"Section", "Key", value});
  Check(again == written);
  return 0;
}
