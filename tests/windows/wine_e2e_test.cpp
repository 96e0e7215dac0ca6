// Oruna.scr and Oruna.dll end to end under Wine, driven the way the
// screen-saver host and a user drive them: the run with its textures, the
// renderer window and Escape (a real key press on the X server, through
// xdotool); single instances; the windowed renderer on a screen whose mode
// cannot change; the preview inside a pane of ours; the settings dialog with
// no argument and owned by a window of ours; what a run asks of the Windows
// API (the foreground handed on, the sound player's flags, no frames while
// the display is off or the session locked), read from Wine's relay trace;
// and, on a Japanese system, a music file named in a code page 932 settings
// file that plays and repeats during the run.
#include <windows.h>

#include <gtest/gtest.h>

#include <wtsapi32.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "builtin_pictures.h"
#include "test_support.h"
#include "wide_text_win32.h"
#include "wine_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;
using test::WaitForWindow;
using test::WinProcess;

constexpr char kRunForm[] = "Oruna_Main";
constexpr char kRenderer[] = "Oruna_VC";
constexpr char kSettingsDialog[] = "<Oruna>";

std::string TextureFile(int index) { return "C:\\p_orvi\\Oruna" + std::to_string(index) + ".bmp"; }

std::string HandleText(HWND window) { return std::to_string(reinterpret_cast<intptr_t>(window)); }

bool PressEscape() { return test::PressKey("Escape"); }

// Both programs copied into a folder of their own, as a user installs them.
class SaverInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 4; ++i) DeleteFileA(TextureFile(i).c_str());
  }
  void TearDown() override {
    test::TerminateProcessesNamed("Oruna.scr");
    test::TerminateProcessesNamed("Oruna.dll");
  }

  // Installs into a subfolder `name`; without the renderer when asked.
  void Install(const std::string& name = "Oruna", bool with_renderer = true) {
    folder_ = dir_.path() + "\\" + name;
    ASSERT_TRUE(test::MakeFolder(folder_));
    ASSERT_TRUE(test::CopyInto(test::BinaryDir() + "\\Oruna.scr", folder_ + "\\Oruna.scr"));
    if (with_renderer) {
      ASSERT_TRUE(test::CopyInto(test::BinaryDir() + "\\Oruna.dll", folder_ + "\\Oruna.dll"));
    }
  }
  std::string Saver(const std::string& arguments) const {
    return "\"" + folder_ + "\\Oruna.scr\"" + (arguments.empty() ? "" : " " + arguments);
  }
  // A visible top-level window of this process standing in for one of the
  // host's.
  static HWND MakeWindow(DWORD style, int x, int y, int width, int height) {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    window_class.lpszClassName = "OrunaTestWindow";
    RegisterClassA(&window_class);
    return CreateWindowExA(0, "OrunaTestWindow", "host", style | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                           window_class.hInstance, nullptr);
  }
  static bool RendererGone() {
    return FindWindowA(nullptr, kRenderer) == nullptr && test::ProcessesNamed("Oruna.dll").empty();
  }

  test::TempDir dir_;
  std::string folder_;
};

// ---- The run -------------------------------------------------------------------------

using SaverRun = SaverInstall;

TEST_F(SaverRun, WritesTexturesShowsTheRendererAndEndsOnEscape) {
  Install();
  WinProcess saver(Saver("/s"));
  ASSERT_TRUE(saver.started());
  const HWND renderer = WaitForWindow(kRenderer, 30s);
  ASSERT_NE(renderer, nullptr) << "no renderer window";

  // The four pictures, complete, before the renderer started.
  for (int i = 1; i <= 4; ++i) {
    const std::vector<uint8_t> expected = EncodeBitmapFile(DecodePicture(static_cast<Picture>(i)));
    const std::string written = test::ReadBytes(TextureFile(i));
    EXPECT_EQ(written, std::string(expected.begin(), expected.end())) << TextureFile(i);
  }
  // A 1024x768 screen takes the mode: a borderless window over all of it.
  RECT rect{};
  GetWindowRect(renderer, &rect);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 1024);
  EXPECT_EQ(rect.bottom, 768);
  EXPECT_NE(GetWindowLongA(renderer, GWL_STYLE) & WS_POPUP, 0);
  // The run form exists and is never shown.
  const HWND run_form = FindWindowA(nullptr, kRunForm);
  ASSERT_NE(run_form, nullptr);
  EXPECT_FALSE(IsWindowVisible(run_form));

  // Every second instance ends at once, whatever its switch.
  for (const std::string& arguments : std::vector<std::string>{"/s", "", "/c", "/p " + HandleText(run_form)}) {
    WinProcess second(Saver(arguments));
    EXPECT_EQ(second.Wait(15s), DWORD{0}) << "second instance with '" << arguments << "'";
  }
  EXPECT_EQ(test::CountWindowsTitled(kRunForm), 1);
  EXPECT_EQ(test::CountWindowsTitled("Preview Window"), 0);
  EXPECT_EQ(test::ProcessesNamed("Oruna.dll").size(), 1u);

  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == renderer; }, 10s)) << "renderer never got the focus";
  ASSERT_TRUE(PressEscape());
  EXPECT_EQ(saver.Wait(15s), DWORD{0}) << "the saver did not follow the renderer";
  EXPECT_TRUE(WaitFor(RendererGone, 10s));
  EXPECT_EQ(FindWindowA(nullptr, kRunForm), nullptr);
  // The textures stay for the next run.
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(test::FileExists(TextureFile(i)));
}

TEST_F(SaverRun, EndsByItselfWhenTheRendererIsMissing) {
  Install("Oruna", /*with_renderer=*/false);
  WinProcess saver(Saver("/s"));
  EXPECT_EQ(saver.Wait(15s), DWORD{0});
  for (int i = 1; i <= 4; ++i) EXPECT_TRUE(test::FileExists(TextureFile(i)));
  EXPECT_EQ(FindWindowA(nullptr, kRunForm), nullptr);
}

// An end asked from outside ends the whole run, the renderer included.
TEST_F(SaverRun, ACloseRequestToTheRunFormEndsTheRunAndTheRenderer) {
  Install();
  WinProcess saver(Saver("/s"));
  ASSERT_NE(WaitForWindow(kRenderer, 30s), nullptr);
  const HWND run_form = FindWindowA(nullptr, kRunForm);
  ASSERT_NE(run_form, nullptr);
  PostMessageA(run_form, WM_CLOSE, 0, 0);
  EXPECT_EQ(saver.Wait(15s), DWORD{0});
  EXPECT_TRUE(WaitFor(RendererGone, 15s));
}

// However the saver ends, even by TerminateProcess, its renderer follows it.
TEST_F(SaverRun, TheRendererEndsWhenItsSaverIsTerminated) {
  Install();
  WinProcess saver(Saver("/s"));
  ASSERT_NE(WaitForWindow(kRenderer, 30s), nullptr);
  const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, saver.id());
  ASSERT_NE(process, nullptr);
  TerminateProcess(process, 9);
  CloseHandle(process);
  EXPECT_EQ(saver.Wait(15s), DWORD{9});
  EXPECT_TRUE(WaitFor(RendererGone, 15s));
}

// ---- A screen whose mode cannot change --------------------------------------------------

using WindowedFallback = SaverInstall;

TEST_F(WindowedFallback, TheRendererRunsInADialogFramedWindowWithoutCaption) {
  Install();
  WinProcess saver(Saver("/s"));
  const HWND renderer = WaitForWindow(kRenderer, 30s);
  ASSERT_NE(renderer, nullptr);
  const LONG style = GetWindowLongA(renderer, GWL_STYLE);
  EXPECT_EQ(style & WS_DLGFRAME, WS_DLGFRAME);
  EXPECT_EQ(style & WS_BORDER, 0) << "a dialog frame, no caption";
  RECT client{};
  GetClientRect(renderer, &client);
  EXPECT_EQ(client.right, 1024);
  EXPECT_EQ(client.bottom, 768);
  // The screen keeps its own size.
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);

  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == renderer; }, 10s));
  ASSERT_TRUE(PressEscape());
  EXPECT_EQ(saver.Wait(15s), DWORD{0});
  EXPECT_TRUE(WaitFor(RendererGone, 10s));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
}

// ---- The preview -----------------------------------------------------------------------

class PreviewPane : public SaverInstall {
 protected:
  // A borderless top-level window standing in for the host's preview pane.
  HWND MakePane(int x, int y, int width, int height) { return MakeWindow(WS_POPUP, x, y, width, height); }
};

TEST_F(PreviewPane, ShowsThePictureAsAChildOfThePaneAndEndsWithIt) {
  Install();
  const HWND pane = MakePane(100, 80, 200, 150);
  ASSERT_NE(pane, nullptr);
  WinProcess preview(Saver("/p " + HandleText(pane)));
  HWND child = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (child = FindWindowExA(pane, nullptr, nullptr, "Preview Window")) != nullptr; },
                      30s));
  DWORD owner = 0;
  GetWindowThreadProcessId(child, &owner);
  EXPECT_EQ(owner, preview.id());
  const LONG style = GetWindowLongA(child, GWL_STYLE);
  EXPECT_EQ(style & WS_CHILD, WS_CHILD);
  EXPECT_EQ(style & WS_POPUP, 0);
  // It covers the whole pane.
  RECT pane_rect{}, child_rect{};
  GetWindowRect(pane, &pane_rect);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(child) && GetWindowRect(child, &child_rect) &&
                                   EqualRect(&child_rect, &pane_rect); }, 10s))
      << child_rect.left << "," << child_rect.top << " " << child_rect.right << "," << child_rect.bottom;

  // (What it draws is checked in the same process, in preview_win32_test:
  // Wine does not show a child window that another process paints.)

  // The host closes its pane: the preview ends with it.
  DestroyWindow(pane);
  EXPECT_EQ(preview.Wait(15s), DWORD{0});
}

TEST_F(PreviewPane, EndsAtOnceWithoutAPane) {
  Install();
  const HWND gone = MakePane(0, 0, 10, 10);
  DestroyWindow(gone);
  for (const std::string& arguments : std::vector<std::string>{"/p", "/p 0", "/p " + HandleText(gone)}) {
    WinProcess preview(Saver(arguments));
    EXPECT_EQ(preview.Wait(15s), DWORD{0}) << arguments;
  }
  EXPECT_EQ(test::CountWindowsTitled("Preview Window"), 0);
}

// ---- The settings ----------------------------------------------------------------------

using SettingsStart = SaverInstall;

// Explorer's "Configure" starts the saver with no argument at all; a number
// after "/c:" that names no window is not used.
TEST_F(SettingsStart, NoArgumentOpensTheSettingsWithoutOwnerAndNoPicture) {
  Install();
  const HWND gone = MakeWindow(WS_OVERLAPPEDWINDOW, 0, 0, 100, 100);
  DestroyWindow(gone);
  for (const std::string& arguments : {std::string(), "/c:" + HandleText(gone)}) {
    WinProcess saver(Saver(arguments));
    const HWND dialog = WaitForWindow(kSettingsDialog, 30s);
    ASSERT_NE(dialog, nullptr) << "'" << arguments << "'";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    EXPECT_EQ(FindWindowA(nullptr, kRunForm), nullptr);
    EXPECT_EQ(FindWindowA(nullptr, kRenderer), nullptr);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(saver.Wait(15s), DWORD{0});
    EXPECT_TRUE(test::ProcessesNamed("Oruna.dll").empty());
  }
}

// The Screen Saver Settings' "Settings" button passes its window.
TEST_F(SettingsStart, TheWindowNamedAfterTheSwitchOwnsTheDialog) {
  Install();
  const HWND settings = MakeWindow(WS_OVERLAPPEDWINDOW, 300, 250, 420, 300);
  ASSERT_NE(settings, nullptr);
  WinProcess saver(Saver("/c:" + HandleText(settings)));
  const HWND dialog = WaitForWindow(kSettingsDialog, 30s);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), settings);
  // An owned window without WS_EX_APPWINDOW has no taskbar button.
  EXPECT_EQ(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(settings); }, 10s)) << "the owner takes input meanwhile";
  // Centred over its owner (which leaves it inside the 1024 x 768 screen).
  RECT owner{}, placed{};
  GetWindowRect(settings, &owner);
  ASSERT_TRUE(WaitFor([&] { return GetWindowRect(dialog, &placed) && IsWindowVisible(dialog); }, 10s));
  EXPECT_NEAR((placed.left + placed.right) / 2, (owner.left + owner.right) / 2, 1);
  EXPECT_NEAR((placed.top + placed.bottom) / 2, (owner.top + owner.bottom) / 2, 1);

  PostMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(saver.Wait(15s), DWORD{0});
  EXPECT_TRUE(IsWindowEnabled(settings));
  DestroyWindow(settings);
}

// ---- What the Windows API is asked, as Wine's relay trace shows it ---------------------

class TracedRun : public SaverInstall {
 protected:
  void SetUp() override {
    SaverInstall::SetUp();
    trace_path_ = test::SessionStderrPath();
    ASSERT_FALSE(trace_path_.empty()) << "needs a session that captures standard error";
    trace_start_ = test::ReadBytes(trace_path_).size();
  }
  // The calls of `function` since the test began.
  std::vector<std::string> Calls(const std::string& function) const {
    return test::RelayCalls(test::ReadBytes(trace_path_).substr(trace_start_), function);
  }
  // A run with the relay trace on (the functions: a RelayInclude).
  std::unique_ptr<WinProcess> StartTracedRun() const {
    return std::make_unique<WinProcess>(Saver("/s"), std::map<std::string, std::string>{{"WINEDEBUG", "+relay"}});
  }

  std::string trace_path_;
  size_t trace_start_ = 0;
};

TEST_F(TracedRun, TheSaverHandsItsForegroundRightToTheRendererItStarts) {
  Install();
  test::RelayInclude relay("user32.AllowSetForegroundWindow");
  const auto saver = StartTracedRun();
  const HWND renderer = WaitForWindow(kRenderer, 30s);
  ASSERT_NE(renderer, nullptr);
  DWORD renderer_process = 0;
  GetWindowThreadProcessId(renderer, &renderer_process);
  const std::vector<std::string> calls = Calls("user32.AllowSetForegroundWindow");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(std::stoul(calls[0], nullptr, 16), renderer_process);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == renderer; }, 10s));
  ASSERT_TRUE(PressEscape());
  EXPECT_EQ(saver->Wait(15s), DWORD{0});
}

// An MP3 renamed .wav: the sound player is told not to fall back to the
// system's default sound, and nothing reaches the sound device.
TEST_F(TracedRun, AWaveFileThatCannotPlayStaysSilent) {
  ASSERT_EQ(GetACP(), 932u) << "the settings file below is in code page 932";
  Install();
  const std::string song = dir_.path() + "\\broken.wav";
  ASSERT_TRUE(test::CopyInto(test::MediaFile("tone.mp3"), song));
  ASSERT_TRUE(test::WriteBytes(folder_ + "\\Oruna.ini", "[Section]\r\n"
                                                        "\x42\x47\x4D\x8B\xE6\x95\xAA= 2\r\n"
                                                        "\x42\x47\x4D\xCC\xA7\xB2\xD9=" + AnsiFromUtf8(song) + "\r\n"));
  test::RelayInclude relay("winmm.PlaySoundA");
  const auto saver = StartTracedRun();
  const HWND renderer = WaitForWindow(kRenderer, 30s);
  ASSERT_NE(renderer, nullptr);
  ASSERT_TRUE(WaitFor([&] { return !Calls("winmm.PlaySoundA").empty(); }, 10s));
  // PlaySoundA(path, module, flags), the path given, the flags SND_ASYNC |
  // SND_NODEFAULT | SND_LOOP (the trace shows the path's address only).
  const std::string call = Calls("winmm.PlaySoundA").front();
  EXPECT_NE(std::stoull(call, nullptr, 16), 0u) << call;
  EXPECT_EQ(std::stoul(call.substr(call.rfind(',') + 1), nullptr, 16), 0x0Bu) << call;
  Sleep(2000);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == renderer; }, 10s));
  ASSERT_TRUE(PressEscape());
  EXPECT_EQ(saver->Wait(15s), DWORD{0});
  if (const char* audio = std::getenv("ORUNA_SESSION_AUDIO")) {
    const std::string sound = test::ReadBytes(test::WindowsPathOfUnix(audio));
    EXPECT_EQ(sound.find_first_not_of('\0'), std::string::npos) << "a sound reached the sound device";
  }
}

// Frames counted as the renderer's SwapBuffers calls: none while the display
// is reported off or the session locked, drawing again after either.
TEST_F(TracedRun, NothingIsDrawnWhileTheDisplayIsOffOrTheSessionLocked) {
  Install();
  test::RelayInclude relay("gdi32.SwapBuffers");
  const auto saver = StartTracedRun();
  const HWND renderer = WaitForWindow(kRenderer, 30s);
  ASSERT_NE(renderer, nullptr);
  auto frames = [&] { return Calls("gdi32.SwapBuffers").size(); };
  ASSERT_TRUE(WaitFor([&] { return frames() >= 5; }, 20s)) << "the renderer does not draw";

  // (A frame under way when the message arrives may still finish.)
  auto expect_no_frames = [&](const char* what) {
    Sleep(300);
    const size_t before = frames();
    Sleep(1500);
    EXPECT_EQ(frames(), before) << what;
  };
  auto expect_frames = [&](const char* what) {
    const size_t before = frames();
    EXPECT_TRUE(WaitFor([&] { return frames() >= before + 5; }, 10s)) << what;
  };
  ASSERT_TRUE(test::SendDisplayState(renderer, 0));
  expect_no_frames("display off");
  ASSERT_TRUE(test::SendDisplayState(renderer, 2));
  expect_frames("display dimmed");
  ASSERT_TRUE(test::SendDisplayState(renderer, 0));
  expect_no_frames("display off again");
  ASSERT_TRUE(test::SendDisplayState(renderer, 1));
  expect_frames("display on");

  SendMessageA(renderer, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
  expect_no_frames("session locked");
  SendMessageA(renderer, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1);
  expect_frames("session unlocked");

  // Escape still ends it in the dark.
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == renderer; }, 10s));
  ASSERT_TRUE(test::SendDisplayState(renderer, 0));
  ASSERT_TRUE(PressEscape());
  EXPECT_EQ(saver->Wait(15s), DWORD{0});
}

// ---- A Japanese system -----------------------------------------------------------------

// One media-control command of the saver as Wine's "mci" debug channel shows
// it, with the reply it got.
struct MciCall {
  std::string command;
  std::string reply;
};

// Reads the commands and replies out of the session's standard error, where
// Wine writes its debug channels: `(L"<command>", ...` opens a call and
// `=> 2/ <result> (L"<reply>")` gives its reply.
std::vector<MciCall> MciCalls(const std::string& trace) {
  std::vector<MciCall> calls;
  size_t at = 0;
  while (at < trace.size()) {
    size_t end = trace.find('\n', at);
    if (end == std::string::npos) end = trace.size();
    const std::string line = trace.substr(at, end - at);
    at = end + 1;
    static const std::string kCall = "trace:mci:mciSendStringW (L\"";
    const size_t call = line.find(kCall);
    const size_t reply = line.find("trace:mci:mciSendStringW => 2/ ");
    if (call != std::string::npos) {
      const size_t start = call + kCall.size();
      const size_t stop = line.find("\", ", start);
      if (stop != std::string::npos) calls.push_back({line.substr(start, stop - start), ""});
    } else if (reply != std::string::npos && !calls.empty()) {
      const size_t open = line.find("(L\"", reply);
      const size_t close = line.rfind("\")");
      if (open != std::string::npos && close != std::string::npos && close > open)
        calls.back().reply = line.substr(open + 3, close - open - 3);
    }
  }
  return calls;
}

// The path as Wine's debug output writes a wide string.
std::string AsWineDebugString(const std::string& utf8) {
  std::string out;
  for (wchar_t c : WideFromUtf8(utf8)) {
    if (c == L'\\') out += "\\\\";
    else if (c == L'"') out += "\\\"";
    else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
    else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\%04x", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out;
}

// The index of the first call at or after `from` with this command (and
// reply, when given); calls.size() when there is none.
size_t Find(const std::vector<MciCall>& calls, size_t from, const std::string& command,
            const char* reply = nullptr) {
  for (size_t i = from; i < calls.size(); ++i) {
    if (calls[i].command == command && (reply == nullptr || calls[i].reply == reply)) return i;
  }
  return calls.size();
}

// The file was found stopped, then "stop" and "play ... from 0" were sent,
// and it was found playing again.
bool PlayedAgainAfterItsEnd(const std::vector<MciCall>& calls) {
  const size_t stopped = Find(calls, 0, "status MP3Play mode", "stopped");
  const size_t stop = Find(calls, stopped, "stop MP3Play");
  const size_t again = Find(calls, stop, "play MP3Play from 0");
  return Find(calls, again, "status MP3Play mode", "playing") < calls.size();
}

using JapaneseSystem = SaverInstall;

TEST_F(JapaneseSystem, MusicFileOfTheSettingsPlaysAndRepeatsDuringTheRun) {
  ASSERT_EQ(GetACP(), 932u) << "needs the Japanese locale";
  const char* trace_file = std::getenv("ORUNA_SESSION_STDERR");
  ASSERT_NE(trace_file, nullptr) << "needs a session that captures standard error";
  const std::string trace_path = test::WindowsPathOfUnix(trace_file);

  Install("スクリーンセーバー");
  const std::string music = dir_.path() + "\\音楽";
  ASSERT_TRUE(test::MakeFolder(music));
  const std::string song = music + "\\曲.mp3";
  ASSERT_TRUE(test::CopyInto(test::MediaFile("tone.mp3"), song));
  // Written byte for byte as the settings dialog writes it in code page 932.
  ASSERT_TRUE(test::WriteBytes(folder_ + "\\Oruna.ini",
                               "[Section]\r\n"
                               "\x42\x47\x4D\x8B\xE6\x95\xAA= 2\r\n"
                               "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4= 0\r\n"
                               "\x42\x47\x4D\xCC\xA7\xB2\xD9=" + AnsiFromUtf8(song) + "\r\n"));

  const size_t trace_start = test::ReadBytes(trace_path).size();
  auto calls = [&] { return MciCalls(test::ReadBytes(trace_path).substr(trace_start)); };
  WinProcess saver(Saver("/s"), {{"WINEDEBUG", "+mci"}});
  const HWND renderer = WaitForWindow(kRenderer, 30s);
  ASSERT_NE(renderer, nullptr) << "no renderer started from the Japanese folder";
  // The short tone ends and the repeat starts it again.
  EXPECT_TRUE(WaitFor([&] { return PlayedAgainAfterItsEnd(calls()); }, 20s));
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == renderer; }, 10s));
  ASSERT_TRUE(PressEscape());
  EXPECT_EQ(saver.Wait(15s), DWORD{0});

  const std::vector<MciCall> seen = calls();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0].command, "open \\\"" + AsWineDebugString(song) + "\\\" type MPEGVideo Alias MP3Play");
  std::string dialogue;
  for (const MciCall& call : seen) dialogue += "\n  " + call.command + " -> " + call.reply;
  EXPECT_EQ(Find(seen, 1, "play MP3Play"), 1u) << dialogue;
  EXPECT_LT(Find(seen, 1, "status MP3Play mode", "playing"), seen.size()) << "never playing:" << dialogue;
  EXPECT_TRUE(PlayedAgainAfterItsEnd(seen)) << "no restart after the end:" << dialogue;
  // The end of the run stops and closes the file.
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[seen.size() - 2].command, "stop MP3Play");
  EXPECT_EQ(seen.back().command, "close MP3Play");

  // And the tone reached the sound device.
  if (const char* audio = std::getenv("ORUNA_SESSION_AUDIO")) {
    const std::string sound = test::ReadBytes(test::WindowsPathOfUnix(audio));
    EXPECT_NE(sound.find_first_not_of('\0'), std::string::npos) << "only silence reached the sound device";
  }
}

}  // namespace
}  // namespace oruna
