// The services the screen saver's start-up and run form need from the system:
// window look-up by title, the forms, timers, the cursor, files, the renderer
// process and the end of the program. The portable logic (saver_main.cpp,
// run_form.cpp) talks only to this interface; platform_x11.cpp implements it
// for Linux/X11 and the tests implement it with a fake clock.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace oruna {

// The window a screen-saver host that owns the screen hands a run: none, a
// window that exists (the renderer draws into it and the host keeps the
// cursor), or a value that names no window.
enum class HostWindowState { Absent, Usable, NotAWindow };

// What a run can see of the host's window it was handed: a settings tool's
// preview pane and a screen-saver daemon's full-screen window differ here.
struct HostWindowShape {
  uint32_t window = 0;  // its id
  // A child of the root window, or a window the window manager manages: not
  // a pane inside another program's window.
  bool top_level = true;
  // At least as wide and as high as the monitor its middle lies on.
  bool covers_its_monitor = true;
};

// Whom a run form serves: the screen saver itself, or a settings tool's
// preview pane (the scene only: no music, and no part in the single-instance
// rule, so that it neither keeps a real run from starting nor is taken for
// one).
enum class RunRole { Saver, SettingsPreview };

// What became of the program started with StartProgram.
enum class ProgramState { Running, Exited, NotStarted };

class SaverPlatform {
 public:
  virtual ~SaverPlatform() = default;

  // True while a window titled exactly `title` exists, shown or hidden, in
  // any process.
  virtual bool WindowWithTitleExists(const std::string& title) = 0;

  // Start-up steps of Main. Failures are silent.
  virtual void CreateTextureDir() = 0;
  virtual void LoadSettings() = 0;
  // Shows the settings dialog modally; returns once it has closed.
  virtual void ShowSettingsDialog() = 0;
  // Embeds the preview into the host's pane `parent` and shows it.
  virtual void StartPreview(int64_t parent) = 0;
  // Loads the hidden run form; its Form_Load has run when this returns true.
  // For the saver it is "Oruna_Main", and loading returns false, with
  // nothing loaded, when another run's form has appeared since the look-up
  // (two runs started at the same instant); systems whose look-up and
  // creation cannot interleave always load it. A settings preview's form
  // carries no title another instance looks for, and always loads.
  virtual bool LoadRunForm(const std::string& argument_text, RunRole role) = 0;

  // The host's window for a run, looked up once. Systems without such hosts
  // have none.
  virtual HostWindowState RunHostWindow() { return HostWindowState::Absent; }
  // What the host's window looks like; meaningful only while RunHostWindow()
  // is Usable.
  virtual HostWindowShape RunHostWindowShape() { return {}; }
  // True while a window titled `title` exists where the renderer this run
  // starts puts its window: inside the host's window for a run in one, among
  // the top-level windows otherwise. So a run never takes the renderer of a
  // settings tool's preview (drawn in a pane) for its own, nor the other way
  // round. Systems without such hosts look the title up anywhere.
  virtual bool RendererWindowExists(const std::string& title) { return WindowWithTitleExists(title); }
  // Waits up to `timeout_ms` for every window titled `title` to go; true
  // when none is left. Systems without such hosts do not wait.
  virtual bool WaitForTitleGone(const std::string& /*title*/, int /*timeout_ms*/) { return false; }
  // Replaces this program with the renderer from the program folder, in the
  // same process. Returns only when that failed (or is not offered).
  virtual void ReplaceWithRenderer() {}

  // The mouse cursor, hidden for a run in mode "S" and shown at its end.
  virtual void HideCursor() = 0;
  virtual void ShowCursor() = 0;

  // Ends the process at once; no further handler runs. The fake records it.
  virtual void EndProgram() = 0;

  // Where texture `index` (1..4) is written: a file in the exchange folder,
  // which is checked first; empty when that folder cannot be trusted (it is
  // someone else's, a link, or open to other writers).
  virtual std::string TextureFilePath(int index) = 0;

  // Replaces the file at `path` with `bytes`; false when it could not.
  virtual bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) = 0;

  // The folder that holds the running Oruna.scr (no trailing separator).
  virtual std::string ProgramFolder() = 0;

  // Starts the program at `path` without arguments and does not wait for it.
  // `on_exit` is called on the program's thread as soon as the process has
  // ended by itself; never when the start failed or after EndStartedProgram.
  virtual void StartProgram(const std::string& path, std::function<void()> on_exit) = 0;
  // The state of the program started last; NotStarted before any start or
  // when the start failed.
  virtual ProgramState StartedProgramState() = 0;
  // Ends the program started last if it still runs: asks it to end, ends it
  // by force when it has not done so after a grace time, and reaps it. Then
  // puts right what a program that ended without its own teardown left
  // behind (on X11, the display mode the renderer set). Every run calls it
  // once, at its end.
  virtual void EndStartedProgram() = 0;

  // A repeating timer calling `tick` every `interval_ms` on the program's
  // thread until stopped. Stopping from inside its own tick is allowed.
  using TimerId = int;
  virtual TimerId StartTimer(int interval_ms, std::function<void()> tick) = 0;
  virtual void StopTimer(TimerId id) = 0;
};

}  // namespace oruna
