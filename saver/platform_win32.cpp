// Saver platform on Windows: FindWindowA for the title look-ups, the hidden
// run form "Oruna_Main" as a real top-level window that is never shown, the
// settings dialog owned by the host's window that "/c:<window>" names, its
// timers as SetTimer timers on that window, the renderer started with
// CreateProcessW and its end reported by a wait on its process, ShowCursor,
// the preview in the host's pane, and the end of the program as ExitProcess.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "command_line.h"
#include "command_line_win32.h"
#include "file_replace.h"
#include "preview.h"
#include "program_start.h"
#include "run_form.h"
#include "saver_entry.h"
#include "saver_main.h"
#include "settings_dialog_owner_win32.h"
#include "settings_file.h"
#include "texture_files.h"

namespace oruna {
namespace {

constexpr char kRunFormClass[] = "Oruna_RunForm";

class Win32SaverPlatform final : public SaverPlatform {
 public:
  explicit Win32SaverPlatform(std::string argument_text) : argument_text_(std::move(argument_text)) {}

  bool WindowWithTitleExists(const std::string& title) override {
    return FindWindowA(nullptr, title.c_str()) != nullptr;
  }

  void CreateTextureDir() override { CreateTextureExchangeDir(); }
  void LoadSettings() override { INI_Load(); }
  void ShowSettingsDialog() override {
    ShowSettingsDialogOwnedBy(WindowOfHandleNumber(SettingsOwnerHandle(argument_text_)));
  }

  void StartPreview(int64_t parent) override {
    preview_ = StartPreviewWindow(parent);
    // Without a pane to live in, the preview would stay invisible forever.
    if (!preview_) EndProgram();
  }

  bool LoadRunForm(const std::string& argument_text, RunRole role) override;

  void HideCursor() override { ::ShowCursor(FALSE); }
  void ShowCursor() override { ::ShowCursor(TRUE); }

  [[noreturn]] void EndProgram() override { ExitProcess(0); }

  std::string TextureFilePath(int index) override { return oruna::TextureFilePath(index); }

  bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) override {
    return ReplaceFileContents(path, bytes);
  }

  std::string ProgramFolder() override { return oruna::ProgramFolder(); }

  void StartProgram(const std::string& path, std::function<void()> on_exit) override;
  ProgramState StartedProgramState() override { return renderer_.State(); }
  void EndStartedProgram() override {
    StopExitWatch();
    renderer_.End();
  }

  TimerId StartTimer(int interval_ms, std::function<void()> tick) override;
  void StopTimer(TimerId id) override;

  // Runs the loaded form until it ends the program.
  int Run();

 private:
  static LRESULT CALLBACK RunFormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void OnTimer(UINT_PTR id);
  static VOID CALLBACK OnRendererSignalled(PVOID window, BOOLEAN timed_out);
  void OnRendererExit();
  void StopExitWatch();

  const std::string argument_text_;
  HWND run_window_ = nullptr;
  std::unique_ptr<RunForm> run_form_;
  std::unique_ptr<Preview> preview_;
  StartedProgram renderer_;
  std::function<void()> on_renderer_exit_;
  HANDLE exit_wait_ = nullptr;  // the registered wait on the renderer's process
  std::map<TimerId, std::function<void()>> timers_;
  TimerId next_timer_ = 1;
};

Win32SaverPlatform* g_platform = nullptr;

// Posted to the run form when the renderer's process has ended.
constexpr UINT kRendererExitMessage = WM_APP + 1;

LRESULT CALLBACK Win32SaverPlatform::RunFormProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (g_platform != nullptr) g_platform->OnTimer(wparam);
      return 0;
    case WM_CLOSE:
      // An unload request from outside: the run ends as after the renderer.
      if (g_platform != nullptr && g_platform->run_form_) g_platform->run_form_->Form_QueryUnload();
      return 0;
    case kRendererExitMessage:
      if (g_platform != nullptr) g_platform->OnRendererExit();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam != FALSE && g_platform != nullptr && g_platform->run_form_)
        g_platform->run_form_->Form_QueryUnload();
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

void Win32SaverPlatform::OnTimer(UINT_PTR id) {
  const auto it = timers_.find(static_cast<TimerId>(id));
  if (it == timers_.end()) return;
  // The tick may stop its own timer, which erases its entry: run a copy.
  const std::function<void()> tick = it->second;
  tick();
}

void Win32SaverPlatform::StartProgram(const std::string& path, std::function<void()> on_exit) {
  StopExitWatch();
  renderer_.Start(path);
  if (renderer_.State() != ProgramState::Running) return;
  // A wait of the thread pool on the process handle tells the run form of
  // the renderer's end as it happens, through a message to its window, so
  // that the end is handled on the program's thread like every other event.
  on_renderer_exit_ = std::move(on_exit);
  const HANDLE process = reinterpret_cast<HANDLE>(renderer_.exit_wait_handle());
  if (!RegisterWaitForSingleObject(&exit_wait_, process, OnRendererSignalled, run_window_, INFINITE,
                                   WT_EXECUTEONLYONCE)) {
    exit_wait_ = nullptr;  // the watch timer notices the end instead
  }
}

VOID CALLBACK Win32SaverPlatform::OnRendererSignalled(PVOID window, BOOLEAN) {
  PostMessageA(static_cast<HWND>(window), kRendererExitMessage, 0, 0);
}

void Win32SaverPlatform::OnRendererExit() {
  // Ignored once the renderer has been ended on request.
  const std::function<void()> on_exit = std::move(on_renderer_exit_);
  on_renderer_exit_ = nullptr;
  if (on_exit) on_exit();
}

void Win32SaverPlatform::StopExitWatch() {
  // Does not wait for a callback under way: its message is then ignored.
  if (exit_wait_ != nullptr) UnregisterWaitEx(exit_wait_, nullptr);
  exit_wait_ = nullptr;
  on_renderer_exit_ = nullptr;
}

SaverPlatform::TimerId Win32SaverPlatform::StartTimer(int interval_ms, std::function<void()> tick) {
  const TimerId id = next_timer_++;
  timers_[id] = std::move(tick);
  SetTimer(run_window_, static_cast<UINT_PTR>(id), static_cast<UINT>(interval_ms), nullptr);
  return id;
}

void Win32SaverPlatform::StopTimer(TimerId id) {
  if (timers_.erase(id) == 0) return;
  KillTimer(run_window_, static_cast<UINT_PTR>(id));
}

bool Win32SaverPlatform::LoadRunForm(const std::string& argument_text, RunRole role) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA form_class{};
  form_class.lpfnWndProc = RunFormProc;
  form_class.hInstance = instance;
  form_class.lpszClassName = kRunFormClass;
  RegisterClassA(&form_class);
  // A real top-level window, so that a second instance finds its caption,
  // and never shown. Windows hosts run previews through /p, so every run
  // form here is the saver's own.
  run_window_ = CreateWindowExA(0, kRunFormClass, kRunFormTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
  if (run_window_ == nullptr) EndProgram();
  run_form_ = std::make_unique<RunForm>(*this, BgmMusic(), argument_text, role);
  run_form_->Form_Load();
  return true;
}

int Win32SaverPlatform::Run() {
  if (preview_) {
    preview_->Run();
    EndProgram();
  }
  if (!run_form_) return 0;
  // The run form ends the program itself.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  EndProgram();
}

}  // namespace

int RunSaver(const std::string& argument_text) {
  static Win32SaverPlatform platform(argument_text);  // lives until the process ends
  g_platform = &platform;
  Main(argument_text, platform);
  return platform.Run();
}

}  // namespace oruna
