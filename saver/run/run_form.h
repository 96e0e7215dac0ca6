// The hidden run form "Oruna_Main" (Oruna_S): writes the four textures,
// starts the music and the renderer Oruna.dll, watches the renderer every
// 100 ms and ends the program after it, stopping the music. The renderer
// never outlives the run: one that never shows its window is ended after a
// start deadline, and an end asked from outside ends it too. A settings
// tool's preview runs the same form without its music.
#pragma once
#include <optional>
#include <string>

#include "saver_platform.h"

namespace oruna {

inline constexpr const char* kRendererTitle = "Oruna_VC";
inline constexpr const char* kRendererFileName = "Oruna.dll";

inline constexpr int kMp3RepeatIntervalMs = 1000;  // Timer1
inline constexpr int kCdPollIntervalMs = 200;      // Timer2
inline constexpr int kRendererWatchIntervalMs = 100;  // Timer3
// How long a started renderer may take to show its window. Generous: a
// display-mode change alone can take a second or two.
inline constexpr int kRendererStartDeadlineMs = 10000;

// The music operations the run form drives. BgmMusic() forwards them to the
// music player; tests record them.
class RunFormMusic {
 public:
  virtual ~RunFormMusic() = default;
  virtual void CDOpen() = 0;
  virtual bool CDPoll() = 0;  // returns CD_PollOn after the poll
  virtual void CDClose() = 0;
  virtual void WAVPlay() = 0;
  virtual void WAVStop() = 0;
  virtual void MP3Open() = 0;
  virtual void MP3Loop() = 0;
  virtual void MP3Close() = 0;
};

// The music player's BGM_* operations behind RunFormMusic.
RunFormMusic& BgmMusic();

class RunForm {
 public:
  RunForm(SaverPlatform& platform, RunFormMusic& music, std::string argument_text,
          RunRole role = RunRole::Saver);
  RunForm(const RunForm&) = delete;
  RunForm& operator=(const RunForm&) = delete;

  void Form_Load();
  void Timer1_Timer();  // MP3 repeat
  void Timer2_Timer();  // CD poll
  void Timer3_Timer();  // renderer watch
  // The renderer's process has ended.
  void RendererExited();
  // The end of the run, for its own request or one from outside.
  void Form_QueryUnload();

  bool Timer1Enabled() const { return timer1_.has_value(); }
  bool Timer2Enabled() const { return timer2_.has_value(); }
  bool Timer3Enabled() const { return timer3_.has_value(); }

 private:
  using Timer = std::optional<SaverPlatform::TimerId>;
  void Enable(Timer& timer, int interval_ms, void (RunForm::*tick)());
  void Disable(Timer& timer);
  // False, with nothing written, when the exchange folder is refused.
  bool WriteTextures();
  void StartMusic();

  SaverPlatform& platform_;
  RunFormMusic& music_;
  const std::string argument_text_;
  const RunRole role_;
  Timer timer1_, timer2_, timer3_;
  // Set once the watch has seen the renderer's window: from then on its
  // absence means the renderer has ended.
  bool renderer_window_seen_ = false;
  // False for a run that started no music (its texture folder was refused,
  // or it is a preview).
  bool music_started_ = false;
  // Watch ticks spent waiting for the window, counted against the deadline.
  int start_wait_ms_ = 0;
};

}  // namespace oruna
