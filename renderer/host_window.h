// A screen-saver host that owns the screen hands its hack a window to draw in
// through the environment. Both programs read the same variable: the saver to
// check the window before a run, the renderer to draw into it.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace oruna {

inline constexpr const char* kHostWindowVariable = "XSCREENSAVER_WINDOW";

// A window id as hosts write it: hexadecimal after "0x" (as in 0x1a00003) or
// decimal, blanks around it allowed. Anything else, zero, or a value beyond
// 32 bits (X ids have 29) gives nullopt.
std::optional<uint32_t> ParseWindowId(std::string_view text);

// What the environment asks of a run: no host window (variable absent or
// empty), a host window by id, or a value that names no window at all.
struct HostWindowRequest {
  bool requested = false;
  std::optional<uint32_t> window;
};
HostWindowRequest HostWindowFromValue(const char* value);

}  // namespace oruna
