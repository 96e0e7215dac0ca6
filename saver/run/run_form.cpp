// The run form's handlers. Everything runs on the program's one thread:
// Form_Load first, then the timer ticks one at a time, then Form_QueryUnload.
#include "run_form.h"

#include "bgm_player.h"
#include "builtin_pictures.h"
#include "command_line.h"
#include "settings_values.h"
#include "texture_files.h"  // kTextureCount

namespace oruna {

RunForm::RunForm(SaverPlatform& platform, RunFormMusic& music, std::string argument_text, RunRole role)
    : platform_(platform), music_(music), argument_text_(std::move(argument_text)), role_(role) {}

void RunForm::Enable(Timer& timer, int interval_ms, void (RunForm::*tick)()) {
  if (timer) return;
  timer = platform_.StartTimer(interval_ms, [this, tick] { (this->*tick)(); });
}

void RunForm::Disable(Timer& timer) {
  if (!timer) return;
  platform_.StopTimer(*timer);
  timer.reset();
}

bool RunForm::WriteTextures() {
  // The renderer reads these as it starts, so all four are complete before it
  // is started. A picture that cannot be written is skipped silently; a
  // folder that cannot be trusted gets none.
  for (int index = 1; index <= kTextureCount; ++index) {
    const std::string path = platform_.TextureFilePath(index);
    if (path.empty()) return false;
    const std::vector<uint8_t> file = EncodeBitmapFile(DecodePicture(static_cast<Picture>(index)));
    if (!file.empty()) platform_.WriteFile(path, file);
  }
  return true;
}

void RunForm::StartMusic() {
  if (BGM_Kind == 1) {
    music_.CDOpen();  // playback begins at the first poll
    Enable(timer2_, kCdPollIntervalMs, &RunForm::Timer2_Timer);
  } else if (BGM_Kind == 2) {
    const std::string kind = MusicFileKind(BGM_File);
    if (kind == "WAV") {
      music_.WAVPlay();  // loops by itself
    } else if (kind == "MP3") {
      music_.MP3Open();
      Enable(timer1_, kMp3RepeatIntervalMs, &RunForm::Timer1_Timer);
    }
  }
}

void RunForm::Form_Load() {
  // A renderer started on a folder the saver refused would read whatever
  // another user put there. Without it the run has nothing to show: no
  // music either, and the watch ends the run at its first tick, as for a
  // renderer that cannot be started. A preview in a settings tool stays
  // silent: the user is choosing a screen saver, and the pane shows each
  // one for as long as it is selected.
  if (WriteTextures()) {
    if (role_ == RunRole::Saver) {
      StartMusic();
      music_started_ = true;
    }
    platform_.StartProgram(platform_.ProgramFolder() + "/" + kRendererFileName, [this] { RendererExited(); });
  }
  Enable(timer3_, kRendererWatchIntervalMs, &RunForm::Timer3_Timer);
}

void RunForm::Timer1_Timer() { music_.MP3Loop(); }

void RunForm::Timer2_Timer() {
  // One failed poll ends CD polling for the rest of the run.
  if (!music_.CDPoll()) Disable(timer2_);
}

void RunForm::Timer3_Timer() {
  // Asked on every tick, so that an ended renderer is reaped at once.
  const ProgramState renderer = platform_.StartedProgramState();
  if (platform_.RendererWindowExists(kRendererTitle)) {
    renderer_window_seen_ = true;
    return;
  }
  // No window: either the renderer is still starting (a display-mode change
  // can take seconds) or it has gone. It has gone when its window was seen
  // before, or when its process has ended or never started.
  if (!renderer_window_seen_ && renderer == ProgramState::Running) {
    // A renderer that is still without a window after the deadline will never
    // show one: with no window there is nothing to press Escape in, so the
    // run would last forever with the cursor hidden and the music playing.
    // The end of the run ends it.
    start_wait_ms_ += kRendererWatchIntervalMs;
    if (start_wait_ms_ < kRendererStartDeadlineMs) return;
  }
  Disable(timer3_);
  Form_QueryUnload();
}

void RunForm::RendererExited() {
  // A renderer whose process has gone has gone for good: the run ends now,
  // not at the next watch tick (its window may even be listed a moment
  // longer, until the display server has noticed the lost connection).
  if (!timer3_) return;
  Disable(timer3_);
  Form_QueryUnload();
}

void RunForm::Form_QueryUnload() {
  // The run ends completely, whoever asked: a renderer left behind (after a
  // SIGTERM from the session or a screen-saver host, or at the start
  // deadline) would hold the screen with nobody to end it. It goes first, so
  // that the cursor comes back over the desktop rather than over the scene.
  platform_.EndStartedProgram();
  if (timer2_) {  // CD polling that stopped by itself leaves the CD alone
    Disable(timer2_);
    music_.CDClose();
  }
  if (music_started_ && BGM_Kind == 2) {
    const std::string kind = MusicFileKind(BGM_File);
    if (kind == "WAV") {
      music_.WAVStop();
    } else if (kind == "MP3") {
      Disable(timer1_);
      music_.MP3Close();
    }
  }
  if (ModeLetter(argument_text_) == "S" && platform_.RunHostWindow() == HostWindowState::Absent)
    platform_.ShowCursor();
  platform_.EndProgram();
}

}  // namespace oruna
