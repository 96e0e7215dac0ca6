// Main: refuses to run beside a running saver or an open settings dialog,
// then hands over to the preview, the settings dialog or the run form.
#include "saver_main.h"

#include "command_line.h"

namespace oruna {

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string text;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ' ';
    text += arguments[i];
  }
  return text;
}

namespace {

// A host that cycles its hack ends the last run with SIGTERM and starts the
// next one at once, while the last run's form may exist for a moment longer.
// Refusing the next run then would leave the host's window black until the
// following cycle, so a run inside a host's window gives the last one a
// moment to end. A run that does not end (another monitor's, under a host
// that runs one hack per monitor) still refuses this one.
bool LastRunEndsInTime(const std::string& argument_text, SaverPlatform& platform) {
  if (!argument_text.empty() && ModeLetter(argument_text) != "S") return false;
  if (platform.RunHostWindow() != HostWindowState::Usable) return false;
  return platform.WaitForTitleGone(kRunFormTitle, kLastRunEndWaitMs);
}

}  // namespace

void Main(const std::string& argument_text, SaverPlatform& platform) {
  // Both look-ups are made, whatever the first one found.
  const bool saver_running = platform.WindowWithTitleExists(kRunFormTitle);
  const bool dialog_open = platform.WindowWithTitleExists(kSettingsDialogTitle);
  if (dialog_open || (saver_running && !LastRunEndsInTime(argument_text, platform))) {
    platform.EndProgram();
    return;
  }

  const std::string mode = ModeLetter(argument_text);
  if (mode == "P") {
    // The preview writes nothing and reads no settings.
    platform.StartPreview(PreviewParentHandle(argument_text));
    return;
  }

  platform.CreateTextureDir();
  platform.LoadSettings();

  if (mode == "C") {
    platform.ShowSettingsDialog();
    platform.EndProgram();
    return;
  }
  if (!argument_text.empty() && mode != "S") {
    platform.EndProgram();
    return;
  }
  // A run inside a host's window draws there; the host owns the cursor. An
  // id that names no window leaves the run nowhere to draw.
  const HostWindowState host = platform.RunHostWindow();
  if (host == HostWindowState::NotAWindow) {
    platform.EndProgram();
    return;
  }
  // The run form shows it again at the end.
  if (mode == "S" && host == HostWindowState::Absent) platform.HideCursor();
  platform.LoadRunForm(argument_text);
}

}  // namespace oruna
