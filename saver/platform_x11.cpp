// Saver platform on Linux/X11: the GLib main loop for the run form's timers,
// an Xlib window for the hidden run form (a run starts no GUI toolkit), the
// settings dialog from its GTK module, loaded only for the dialog (so only
// that mode loads GTK at all), an own Xlib connection for title look-ups and
// the cursor, the renderer's process (its end watched through its process
// descriptor, the desktop's display mode put back when it died without its
// teardown), the Xlib preview, and the end of the program as an immediate
// process exit. On a Wayland display (display_choice.h) the same platform
// runs without X: session markers take the titles' place in the
// single-instance rule (they are held on X11 too), the renderer's pipe
// report takes the renderer title's, there is no run window, and the
// cursor is the renderer's to hide.
#include <X11/Xlib.h>
#include <glib-unix.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "command_line.h"
#include "cursor_x11.h"
#include "desktop_mode_x11.h"
#include "display_choice.h"
#include "file_replace.h"
#include "host_window.h"
#include "host_window_x11.h"
#include "preview.h"
#include "program_start.h"
#include "run_form.h"
#include "run_window_x11.h"
#include "saver_entry.h"
#include "saver_main.h"
#include "session_marker.h"
#include "settings_file.h"
#include "settings_module.h"
#include "shown_pipe_posix.h"
#include "texture_files.h"
#include "title_lookup_x11.h"

namespace oruna {
namespace {

// The caption of a settings preview's hidden run form.
constexpr const char* kPreviewRunFormTitle = "Oruna_Preview";

class X11SaverPlatform final : public SaverPlatform {
 public:
  ~X11SaverPlatform() override {
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  // Chosen once, before Main, from the environment and the switch.
  void UseDisplay(DisplayKind kind) { display_kind_ = kind; }

  bool WindowWithTitleExists(const std::string& title) override {
    const bool marked = title != kRendererTitle && SessionMarker::Held(title);
    return titles_.Exists(XDisplay(), title) || marked;
  }

  void CreateTextureDir() override { CreateTextureExchangeDir(); }
  void LoadSettings() override { INI_Load(); }

  void ShowSettingsDialog() override {
    // The program ends after this either way; a dialog that cannot be shown
    // is said on the error output, where a broken installation shows.
    // Held while the dialog is open. A dialog that opened since Main looked
    // is the one open: this one ends without a word, as a second /c does.
    bool taken = false;
    const std::unique_ptr<SessionMarker> marker = SessionMarker::Take(kSettingsDialogTitle, taken);
    if (taken) return;
    // GTK shows the dialog on the display the rest of Oruna uses, unless
    // the user has chosen a backend.
    if (display_kind_ != DisplayKind::NoDisplay)
      setenv("GDK_BACKEND", display_kind_ == DisplayKind::Wayland ? "wayland" : "x11", 0);
    std::string why_not;
    if (!ShowSettingsDialogFromModule(oruna::ProgramFolder(), &why_not))
      std::fprintf(stderr, "Oruna.scr: the settings dialog cannot be shown: %s\n", why_not.c_str());
  }

  void StartPreview(int64_t parent) override {
    preview_ = StartPreviewWindow(parent);
    // Without a pane to live in, the preview would stay invisible forever.
    if (!preview_) EndProgram();
  }

  bool LoadRunForm(const std::string& argument_text, RunRole role) override;

  HostWindowState RunHostWindow() override {
    if (!host_window_) host_window_ = CheckHostWindowX11(XDisplay());
    return *host_window_;
  }

  HostWindowShape RunHostWindowShape() override { return ShapeOfHostWindowX11(XDisplay(), HostWindowIdX11()); }

  // The renderer draws in a child of the host's window when it has one, and
  // in a top-level window of its own otherwise.
  bool RendererWindowExists(const std::string& title) override {
    // Wayland shows no other client's titles: there the renderer's own
    // report says that its picture is shown.
    if (display_kind_ == DisplayKind::Wayland) return renderer_shown_ && renderer_.State() == ProgramState::Running;
    TitleScope scope{TitleScope::TopLevel, None};
    if (RunHostWindow() == HostWindowState::Usable) scope = {TitleScope::Inside, HostWindowIdX11()};
    return titles_.Exists(XDisplay(), title, scope);
  }

  // A run or a preview without a display would end showing nothing; whoever
  // started it (a user at a terminal, an idle daemon's log) learns why. Once:
  // the display is opened here and kept.
  void SayWhenThereIsNoDisplay() {
    if (display_kind_ == DisplayKind::Wayland || XDisplay() != nullptr) return;
    const char* name = std::getenv("DISPLAY");
    if (name == nullptr || *name == '\0')
      std::fprintf(stderr, "Oruna.scr: cannot open the X display: DISPLAY is not set\n");
    else
      std::fprintf(stderr, "Oruna.scr: cannot open the X display \"%s\"\n", name);
  }

  bool WaitForTitleGone(const std::string& title, int timeout_ms) override {
    for (int waited = 0; WindowWithTitleExists(title); waited += 20) {
      if (waited >= timeout_ms) return false;
      g_usleep(20 * 1000);
    }
    return true;
  }

  void ReplaceWithRenderer() override {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
    std::string path = oruna::ProgramFolder() + "/" + kRendererFileName;
    char* argv[] = {path.data(), nullptr};
    execv(path.c_str(), argv);
  }

  void HideCursor() override { HideCursorX11(XDisplay()); }
  void ShowCursor() override { ShowCursorX11(XDisplay()); }

  [[noreturn]] void EndProgram() override {
    // Requests still queued (the cursor shown again) must reach the server.
    if (display_ != nullptr) XSync(display_, False);
    _exit(0);
  }

  std::string TextureFilePath(int index) override { return oruna::TextureFilePath(index); }

  bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    return ReplaceFileContents(path, bytes);
  }

  std::string ProgramFolder() override { return oruna::ProgramFolder(); }

  void StartProgram(const std::string& path, std::function<void()> on_exit) override;
  // Reaps a renderer that has ended; changes nothing else.
  ProgramState StartedProgramState() override { return renderer_.State(); }
  void EndStartedProgram() override;

  TimerId StartTimer(int interval_ms, std::function<void()> tick) override;
  void StopTimer(TimerId id) override;

  // Runs the loaded form until it ends the program.
  int Run();

 private:
  struct TimerData {
    std::function<void()> tick;
  };
  static gboolean OnTimer(gpointer data);
  static gboolean OnUnloadRequest(gpointer data);
  static gboolean OnRunWindowEvents(gint fd, GIOCondition condition, gpointer data);
  static gboolean OnRendererExit(gint fd, GIOCondition condition, gpointer data);
  static gboolean OnRendererShown(gint fd, GIOCondition condition, gpointer data);
  void StopExitWatch();

  // Never opened for a run on Wayland: an X connection could start a
  // compositor's XWayland for nothing.
  Display* XDisplay() {
    if (display_ == nullptr && display_kind_ != DisplayKind::Wayland) display_ = XOpenDisplay(nullptr);
    return display_;
  }

  DisplayKind display_kind_ = DisplayKind::X11;
  Display* display_ = nullptr;  // title look-ups and the cursor
  std::unique_ptr<SessionMarker> run_marker_;  // held from the run form's load to the end
  ShownPipe shown_pipe_;
  bool renderer_shown_ = false;  // the renderer reported its picture shown
  std::optional<HostWindowState> host_window_;
  TitleLookupX11 titles_;
  std::unique_ptr<RunWindowX11> run_window_;
  std::unique_ptr<RunForm> run_form_;
  std::unique_ptr<Preview> preview_;
  StartedProgram renderer_;
  // As it was before the renderer started; nothing once it has been dealt
  // with at the renderer's end.
  DesktopModeX11 desktop_mode_;
  std::function<void()> on_renderer_exit_;
  guint exit_watch_ = 0;  // the event source watching the renderer's end
  std::map<TimerId, guint> timers_;
  TimerId next_timer_ = 1;
};

gboolean X11SaverPlatform::OnTimer(gpointer data) {
  // The tick may stop its own timer, which frees `data`: run a copy.
  const std::function<void()> tick = static_cast<TimerData*>(data)->tick;
  tick();
  return G_SOURCE_CONTINUE;
}

SaverPlatform::TimerId X11SaverPlatform::StartTimer(int interval_ms, std::function<void()> tick) {
  const TimerId id = next_timer_++;
  auto* data = new TimerData{std::move(tick)};
  timers_[id] = g_timeout_add_full(G_PRIORITY_DEFAULT, static_cast<guint>(interval_ms), OnTimer,
                                   data, [](gpointer p) { delete static_cast<TimerData*>(p); });
  return id;
}

void X11SaverPlatform::StopTimer(TimerId id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) return;
  g_source_remove(it->second);
  timers_.erase(it);
}

void X11SaverPlatform::StartProgram(const std::string& path, std::function<void()> on_exit) {
  StopExitWatch();
  desktop_mode_ = DesktopModeX11::Capture(XDisplay());
  renderer_shown_ = false;
  const bool report = shown_pipe_.OpenForStart();
  renderer_.Start(path, shown_pipe_.write_end());
  shown_pipe_.FinishStart();
  if (report && renderer_.State() == ProgramState::Running)
    g_unix_fd_add(shown_pipe_.read_end(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                  OnRendererShown, this);
  else
    shown_pipe_.Close();
  // The loop learns of the renderer's end as it happens, through its process
  // descriptor; without one, the watch timer notices it at its next tick.
  if (renderer_.State() != ProgramState::Running || renderer_.exit_wait_handle() < 0) return;
  on_renderer_exit_ = std::move(on_exit);
  exit_watch_ = g_unix_fd_add(static_cast<gint>(renderer_.exit_wait_handle()), G_IO_IN, OnRendererExit, this);
}

// The renderer's process has ended: the run form hears of it, and ends the
// run through EndStartedProgram.
gboolean X11SaverPlatform::OnRendererExit(gint, GIOCondition, gpointer data) {
  auto* platform = static_cast<X11SaverPlatform*>(data);
  platform->exit_watch_ = 0;  // this source ends with this call
  const std::function<void()> on_exit = std::move(platform->on_renderer_exit_);
  platform->on_renderer_exit_ = nullptr;
  if (on_exit) on_exit();
  return G_SOURCE_REMOVE;
}

// The renderer's one byte, or the pipe closing when it ended without one.
gboolean X11SaverPlatform::OnRendererShown(gint, GIOCondition, gpointer data) {
  auto* platform = static_cast<X11SaverPlatform*>(data);
  if (platform->shown_pipe_.TakeReport()) platform->renderer_shown_ = true;
  return G_SOURCE_REMOVE;
}

// Every run ends here, however its renderer went (it ended by itself and
// the watch saw it, or the run ends it now). A renderer that crashed, was
// killed or had to be ended by force had no teardown, and the X server
// keeps the 1024x768 mode it set: the desktop then gets its captured
// configuration back. After a clean end the renderer has done that itself,
// and a display change made meanwhile is left alone.
void X11SaverPlatform::EndStartedProgram() {
  StopExitWatch();
  if (renderer_.State() == ProgramState::NotStarted) return;
  renderer_.End();
  if (!renderer_.ended_cleanly()) desktop_mode_.Restore(XDisplay());
  desktop_mode_ = DesktopModeX11{};
}

void X11SaverPlatform::StopExitWatch() {
  if (exit_watch_ != 0) g_source_remove(exit_watch_);
  exit_watch_ = 0;
  on_renderer_exit_ = nullptr;
}

gboolean X11SaverPlatform::OnUnloadRequest(gpointer data) {
  static_cast<X11SaverPlatform*>(data)->run_form_->Form_QueryUnload();
  return G_SOURCE_REMOVE;
}

gboolean X11SaverPlatform::OnRunWindowEvents(gint, GIOCondition, gpointer data) {
  auto* platform = static_cast<X11SaverPlatform*>(data);
  if (platform->run_window_->TakeCloseRequest()) OnUnloadRequest(data);
  return G_SOURCE_CONTINUE;
}

bool X11SaverPlatform::LoadRunForm(const std::string& argument_text, RunRole role) {
  // A real top-level window carrying its caption on the display for a second
  // instance to find, and never shown; made only where no other run's is. A
  // preview's has a caption of its own, which no instance looks for, and
  // serves only to take close requests. The session marker comes first: it
  // excludes runs and dialogs on any display; a preview takes none.
  const bool saver = role == RunRole::Saver;
  bool taken = false;
  if (saver) run_marker_ = SessionMarker::Take(kRunFormTitle, taken);
  if (taken) return false;
  if (display_kind_ != DisplayKind::Wayland) {
    run_window_ = RunWindowX11::Create(saver ? kRunFormTitle : kPreviewRunFormTitle, taken, saver);
    if (taken) {
      run_marker_.reset();  // the other run's window is there: it alone counts
      return false;
    }
    if (!run_window_) EndProgram();
  }

  run_form_ = std::make_unique<RunForm>(*this, BgmMusic(), argument_text, role);
  // Unload requests from outside: a close request to the window, or the
  // session asking the process to end.
  if (run_window_)
    g_unix_fd_add(run_window_->ConnectionFd(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                  OnRunWindowEvents, this);
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP}) g_unix_signal_add(signal_number, OnUnloadRequest, this);

  run_form_->Form_Load();
  return true;
}

int X11SaverPlatform::Run() {
  if (preview_) {
    preview_->Run();
    EndProgram();
  }
  // The run form ends the program itself.
  if (run_form_) g_main_loop_run(g_main_loop_new(nullptr, FALSE));
  return 0;
}

}  // namespace

int RunSaver(const std::string& argument_text) {
  static X11SaverPlatform platform;  // lives until the process ends
  // Drawing in a host's window and the preview name X windows.
  const bool x11_only = ModeLetter(argument_text) == "P" || HostWindowFromValue(std::getenv(kHostWindowVariable)).requested;
  platform.UseDisplay(SessionDisplay(x11_only));
  // The settings dialog says itself why it cannot be shown.
  if (ModeLetter(argument_text) != "C") platform.SayWhenThereIsNoDisplay();
  Main(argument_text, platform);
  return platform.Run();
}

}  // namespace oruna
