// Main: refuses to run beside a running saver or an open settings dialog,
// then hands over to the preview, the settings dialog or the run form. A run
// in a settings tool's preview pane goes its own way, outside that rule.
#include "saver_main.h"

#include "command_line.h"
#include "settings_preview.h"

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

bool IsRunSwitch(const std::string& argument_text) {
  return argument_text.empty() || ModeLetter(argument_text) == "S";
}

// Another run's form exists. Outside a host's window this run is refused.
// Inside one, two things look like that: a host that cycles its hack ends
// the last run with SIGTERM and starts the next at once, while the last
// run's form lingers a moment; and a host that runs one hack per monitor
// starts a run for each. So the run waits (up to kLastRunEndWaitMs) for the
// other to end, and when it does not, this monitor still shows the scene:
// the program replaces itself with the renderer alone in its host's window
// (and this call does not return), while the other run keeps the music and
// the texture files. Returns true when the other run has ended and this one
// may go on, false when this run must end.
bool WaitForTheOtherRunOrBecomeRenderer(const std::string& argument_text, SaverPlatform& platform) {
  if (!IsRunSwitch(argument_text) || platform.RunHostWindow() != HostWindowState::Usable) return false;
  if (platform.WaitForTitleGone(kRunFormTitle, kLastRunEndWaitMs)) return true;
  platform.ReplaceWithRenderer();  // returns only when that failed
  return false;
}

// A run whose host window is a settings tool's preview pane.
bool IsRunInAPreviewPane(const std::string& argument_text, SaverPlatform& platform) {
  return IsRunSwitch(argument_text) && platform.RunHostWindow() == HostWindowState::Usable &&
         IsSettingsPreview(platform.RunHostWindowShape(), argument_text);
}

// The scene in the pane, for as long as the tool shows it. It looks for no
// other instance and leaves nothing another instance looks for: a user who
// browses the tool's list while the saver runs, or whose daemon starts the
// saver while the tool is open, gets both. Its form plays no music.
void RunInPreviewPane(const std::string& argument_text, SaverPlatform& platform) {
  platform.CreateTextureDir();
  if (!platform.LoadRunForm(argument_text, RunRole::SettingsPreview)) platform.EndProgram();
}

}  // namespace

void Main(const std::string& argument_text, SaverPlatform& platform) {
  if (IsRunInAPreviewPane(argument_text, platform)) {
    RunInPreviewPane(argument_text, platform);
    return;
  }
  // Both look-ups are made, whatever the first one found.
  const bool saver_running = platform.WindowWithTitleExists(kRunFormTitle);
  const bool dialog_open = platform.WindowWithTitleExists(kSettingsDialogTitle);
  if (dialog_open) {
    platform.EndProgram();
    return;
  }
  if (saver_running) {
    const bool other_run_ended = WaitForTheOtherRunOrBecomeRenderer(argument_text, platform);
    if (!other_run_ended) {
      platform.EndProgram();
      return;
    }
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
  if (platform.LoadRunForm(argument_text, RunRole::Saver)) return;
  // Two runs started at the same instant (a host running one hack per
  // monitor) both pass the look-up above, but only one gets the run form;
  // this one lost, and meets the other as a run that was there first.
  const bool other_run_ended = WaitForTheOtherRunOrBecomeRenderer(argument_text, platform);
  if (other_run_ended && platform.LoadRunForm(argument_text, RunRole::Saver)) return;
  platform.EndProgram();
}

}  // namespace oruna
