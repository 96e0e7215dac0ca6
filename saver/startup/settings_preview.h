// Tells a settings tool's preview from a real run. The hosts' settings tools
// start the very command their daemons start, in a pane of their own window,
// so the command alone does not say which it is: the host's window does.
// Portable; the window's shape comes from SaverPlatform::RunHostWindowShape.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "saver_platform.h"

namespace oruna {

// The window id after "--window-id" (or "-window-id") in the argument text,
// as XScreenSaver's settings tool appends it to a preview's command; nullopt
// when there is none or it is no window id.
std::optional<uint32_t> WindowIdArgument(const std::string& argument_text);

// True when a run in the host window `shape` is a settings tool's preview.
// A window that covers its monitor is a daemon's, whatever else is true of
// it (MATE's daemon hands a full-screen child of its own window). A smaller
// window inside another program's window is a preview pane. A smaller
// top-level window is a preview only when the host says so with
// --window-id naming it; otherwise it is a host that runs the saver in a
// window of its own, and that run keeps its music.
bool IsSettingsPreview(const HostWindowShape& shape, const std::string& argument_text);

}  // namespace oruna
