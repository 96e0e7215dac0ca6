// A recording SaverPlatform with a fake clock, and a recording music player.
// Every call lands in one shared log so that tests can check the order of
// platform and music calls together.
#pragma once
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "run_form.h"
#include "saver_platform.h"

namespace oruna::test {

class FakeSaverPlatform final : public SaverPlatform {
 public:
  std::vector<std::string> log;
  std::set<std::string> windows;  // titles that exist right now
  ProgramState program_state = ProgramState::NotStarted;
  bool start_fails = false;
  bool ended = false;
  std::map<std::string, std::vector<uint8_t>> files;
  int64_t now_ms = 0;
  HostWindowState host_window = HostWindowState::Absent;

  bool WindowWithTitleExists(const std::string& title) override {
    log.push_back("find " + title);
    return windows.count(title) != 0;
  }
  void CreateTextureDir() override { log.push_back("create texture dir"); }
  void LoadSettings() override { log.push_back("load settings"); }
  void ShowSettingsDialog() override { log.push_back("settings dialog"); }
  void StartPreview(int64_t parent) override { log.push_back("preview " + std::to_string(parent)); }
  int run_form_taken = 0;  // how many loads find another run's form first
  bool LoadRunForm(const std::string& argument_text, RunRole role) override {
    if (role == RunRole::SettingsPreview) {
      log.push_back("load preview run form '" + argument_text + "'");
      return true;
    }
    if (run_form_taken > 0) {
      --run_form_taken;
      windows.insert("Oruna_Main");  // the other run's form, made meanwhile
      log.push_back("run form taken");
      return false;
    }
    log.push_back("load run form '" + argument_text + "'");
    return true;
  }
  HostWindowState RunHostWindow() override { return host_window; }
  HostWindowShape host_shape;  // a daemon's full-screen top-level window
  HostWindowShape RunHostWindowShape() override { return host_shape; }
  void ReplaceWithRenderer() override { log.push_back("become renderer"); }
  bool titles_go_on_wait = false;  // the windows waited for go meanwhile
  bool WaitForTitleGone(const std::string& title, int timeout_ms) override {
    log.push_back("wait " + std::to_string(timeout_ms) + " for " + title + " to go");
    if (titles_go_on_wait) windows.erase(title);
    return windows.count(title) == 0;
  }
  void HideCursor() override { log.push_back("hide cursor"); }
  void ShowCursor() override { log.push_back("show cursor"); }
  void EndProgram() override {
    log.push_back("end");
    ended = true;
    timers_.clear();  // the process is gone: nothing ticks any more
  }
  bool texture_dir_trusted = true;
  std::string TextureFilePath(int index) override {
    return texture_dir_trusted ? "/run/user/1000/p_orvi/Oruna" + std::to_string(index) + ".bmp" : "";
  }
  bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    log.push_back("write " + path);
    files[path] = bytes;
    return true;
  }
  std::string ProgramFolder() override { return "/opt/oruna"; }
  void StartProgram(const std::string& path, std::function<void()> on_exit) override {
    log.push_back("start " + path);
    program_state = start_fails ? ProgramState::NotStarted : ProgramState::Running;
    on_exit_ = start_fails ? nullptr : std::move(on_exit);
  }
  // The started program ends by itself, as the platform reports it.
  void ProgramExits() {
    program_state = ProgramState::Exited;
    if (const auto on_exit = std::exchange(on_exit_, nullptr)) on_exit();
  }
  ProgramState StartedProgramState() override { return program_state; }
  void EndStartedProgram() override {
    log.push_back("end renderer");
    if (program_state == ProgramState::Running) program_state = ProgramState::Exited;
    on_exit_ = nullptr;
  }

  TimerId StartTimer(int interval_ms, std::function<void()> tick) override {
    const TimerId id = next_id_++;
    timers_[id] = {interval_ms, now_ms + interval_ms, std::make_shared<const std::function<void()>>(std::move(tick))};
    log.push_back("timer on " + std::to_string(interval_ms));
    return id;
  }
  void StopTimer(TimerId id) override {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    log.push_back("timer off " + std::to_string(it->second.interval_ms));
    timers_.erase(it);
  }

  // Moves the clock forward, running every tick that falls due on the way in
  // time order (a tie goes to the timer started first).
  void Advance(int64_t ms) {
    const int64_t target = now_ms + ms;
    for (;;) {
      auto next = timers_.end();
      for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->second.due <= target && (next == timers_.end() || it->second.due < next->second.due))
          next = it;
      if (next == timers_.end()) break;
      now_ms = next->second.due;
      next->second.due += next->second.interval_ms;
      // Held by a shared copy: the tick may stop its own timer. Sharing
      // (not copying the function) keeps the ticks free of allocations.
      const auto tick = next->second.tick;
      (*tick)();
    }
    now_ms = target;
  }

  bool TimerRunning(int interval_ms) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const auto& t) { return t.second.interval_ms == interval_ms; });
  }

  // Log entries from `from` on, without the watch's look-ups.
  std::vector<std::string> Calls(size_t from = 0) const {
    std::vector<std::string> out;
    for (size_t i = from; i < log.size(); ++i)
      if (log[i] != std::string("find ") + kRendererTitle) out.push_back(log[i]);
    return out;
  }

 private:
  struct FakeTimer {
    int interval_ms;
    int64_t due;
    std::shared_ptr<const std::function<void()>> tick;
  };
  std::map<TimerId, FakeTimer> timers_;
  TimerId next_id_ = 1;
  std::function<void()> on_exit_;
};

class RecordingMusic final : public RunFormMusic {
 public:
  explicit RecordingMusic(std::vector<std::string>& log) : log_(log) {}
  std::vector<bool> poll_results;  // CD_PollOn after each poll; true when exhausted
  size_t polls = 0;

  void CDOpen() override { log_.push_back("BGM_CDOpen"); }
  bool CDPoll() override {
    log_.push_back("BGM_CDPoll");
    return polls < poll_results.size() ? poll_results[polls++] : (++polls, true);
  }
  void CDClose() override { log_.push_back("BGM_CDClose"); }
  void WAVPlay() override { log_.push_back("BGM_WAVPlay"); }
  void WAVStop() override { log_.push_back("BGM_WAVStop"); }
  void MP3Open() override { log_.push_back("BGM_MP3Open"); }
  void MP3Loop() override { log_.push_back("BGM_MP3Loop"); }
  void MP3Close() override { log_.push_back("BGM_MP3Close"); }

 private:
  std::vector<std::string>& log_;
};

}  // namespace oruna::test
