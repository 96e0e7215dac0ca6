// "Oruna.scr /c" end to end under Wine on a Japanese system (ANSI code page
// 932), driven as a user would (pointer, buttons and keys through
// SetCursorPos and SendInput) and checked through the Win32 API from this
// program: the dialog "<Oruna>" and its controls, the kinds picked by box
// and caption, the exact bytes that "設定" writes, the file chooser,
// "ｷｬﾝｾﾙ" and closing writing nothing, a save that cannot be written reported
// with the dialog left open, and other instances refused while it is open.
// A screenshot of the dialog is checked pixel by pixel against its layout
// and kept as <build>/artifacts/settings_dialog_windows.png.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include "dialog_controls_win32.h"
#include "dialog_picture_checks.h"
#include "test_support.h"
#include "wide_text_win32.h"
#include "wine_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;
using test::WaitForWindow;
using test::WinProcess;

constexpr char kTitle[] = "<Oruna>";
// The three keys in code page 932.
const std::string kKindKey = "BGM\x8B\xE6\x95\xAA";
const std::string kTrackKey = "BGM\xD8\xCB\xDF\xB0\xC4";
const std::string kFileKey = "BGM\xCC\xA7\xB2\xD9";

std::string Settings(const std::string& kind, const std::string& track, const std::string& file_cp932) {
  return "[Section]\r\n" + kKindKey + "=" + kind + "\r\n" + kTrackKey + "=" + track + "\r\n" + kFileKey + "=" +
         file_cp932 + "\r\n";
}

// The text a window reports. GetWindowText would read only the stored
// caption of another process's window, not the edit text of a combo box.
std::string WindowText(HWND window) {
  wchar_t text[512] = {};
  SendMessageW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return Utf8FromWide(text);
}

// Input as the system delivers a user's: the pointer moved with
// SetCursorPos, buttons and characters injected with SendInput, reaching
// whichever window is under the pointer or has the focus, in any process.
void MouseButton(int button, bool down) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  if (button == 1) input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  if (button == 3) input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
  SendInput(1, &input, sizeof input);
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wScan = input[1].ki.wScan = c;
    input[0].ki.dwFlags = KEYEVENTF_UNICODE;
    input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
    ::Sleep(50);
  }
}

POINT CentreOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Pause(std::chrono::milliseconds time) { ::Sleep(static_cast<DWORD>(time.count())); }

class SettingsDialogWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u) << "needs the Japanese session";
    folder_ = dir_.path() + "\\Oruna";
    ASSERT_TRUE(test::MakeFolder(folder_));
    ASSERT_TRUE(test::CopyInto(test::BinaryDir() + "\\Oruna.scr", folder_ + "\\Oruna.scr"));
    ini_ = folder_ + "\\Oruna.ini";
  }
  void TearDown() override { test::TerminateProcessesNamed("Oruna.scr"); }

  std::unique_ptr<WinProcess> StartSaver(const std::string& arguments,
                                         const std::map<std::string, std::string>& environment = {}) {
    return std::make_unique<WinProcess>("\"" + folder_ + "\\Oruna.scr\" " + arguments, environment);
  }

  // Starts "/c" and waits until the dialog is on screen and drawn.
  void OpenDialog(const std::map<std::string, std::string>& environment = {}) {
    dialog_process_ = StartSaver("/c", environment);
    dialog_ = WaitForWindow(kTitle, 30s);
    ASSERT_NE(dialog_, nullptr) << "no dialog";
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(dialog_) != FALSE; }, 10s));
    Pause(500ms);  // its first paint
  }

  // A control of the dialog or of its panel.
  HWND Item(int id) const {
    if (HWND direct = GetDlgItem(dialog_, id)) return direct;
    return GetDlgItem(GetDlgItem(dialog_, kIdPanel), id);
  }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }

  void MoveTo(POINT at) {
    SetCursorPos(at.x, at.y);
    Pause(200ms);  // a hover poll sees it
  }
  void Click(POINT at, int button = 1) {
    MoveTo(at);
    MouseButton(button, true);
    Pause(60ms);
    MouseButton(button, false);
    Pause(300ms);
  }
  void Click(HWND control, int button = 1) { Click(CentreOf(control), button); }

  // The middle of a selection box as the screen shows it: blue when filled.
  bool BoxShowsFilled(int kind) const {
    const POINT at = CentreOf(Item(kIdKindBox + kind));
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return GetBValue(pixel) > GetRValue(pixel) + 80;
  }

  void ExpectDialogEnds() {
    EXPECT_EQ(dialog_process_->Wait(15s), DWORD{0});
    EXPECT_EQ(FindWindowA(nullptr, kTitle), nullptr);
  }

  // The client area as the screen shows it, kept as a PNG file.
  std::vector<uint32_t> Screenshot() {
    POINT origin{0, 0};
    ClientToScreen(dialog_, &origin);
    const int width = test::kClientWidth, height = test::kClientHeight;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (bitmap != nullptr) {
      HGDIOBJ old = SelectObject(memory, bitmap);
      BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
      GdiFlush();
      for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<const uint32_t*>(bits)[i] & 0xFFFFFFu;
      SelectObject(memory, old);
      DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    EXPECT_NE(bitmap, nullptr);
    std::vector<uint8_t> rgb;
    for (uint32_t p : pixels) rgb.insert(rgb.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
    const std::string folder = test::WindowsPathOfUnix(ORUNA_ARTIFACT_DIR);
    test::MakeFolder(folder);
    EXPECT_TRUE(stbi_write_png((folder + "\\settings_dialog_windows.png").c_str(), width, height, 3, rgb.data(),
                               width * 3));
    return pixels;
  }

  test::TempDir dir_;
  std::string folder_, ini_;
  std::unique_ptr<WinProcess> dialog_process_;
  HWND dialog_ = nullptr;
};

TEST_F(SettingsDialogWindows, OpensCentredWithItsControlsAndKeepsOtherInstancesOut) {
  // A music file chosen earlier: kind 2, its name on the panel.
  const std::string music = dir_.path() + "\\音楽";
  ASSERT_TRUE(test::MakeFolder(music));
  ASSERT_TRUE(test::WriteBytes(music + "\\曲.mp3", "x"));
  const std::string before = Settings(" 2", " 12", AnsiFromUtf8(music + "\\曲.mp3"));
  ASSERT_TRUE(test::WriteBytes(ini_, before));
  OpenDialog();

  RECT client{}, outer{};
  GetClientRect(dialog_, &client);
  GetWindowRect(dialog_, &outer);
  EXPECT_EQ(client.right, 496);
  EXPECT_EQ(client.bottom, 246);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  EXPECT_EQ(outer.left, (1024 - width) / 2);
  EXPECT_EQ(outer.top, (768 - height) / 3);

  // The track box: an editable drop-down list of "" and 1 to 30, showing 12.
  HWND repeat = Item(kIdRepeat);
  ASSERT_NE(repeat, nullptr);
  EXPECT_EQ(GetWindowLongW(repeat, GWL_STYLE) & 3, CBS_DROPDOWN);
  ASSERT_EQ(SendMessageW(repeat, CB_GETCOUNT, 0, 0), 31);
  for (int i : {0, 1, 30}) {
    wchar_t entry[8] = {};
    SendMessageW(repeat, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
    EXPECT_EQ(Utf8FromWide(entry), i == 0 ? "" : std::to_string(i));
  }
  EXPECT_EQ(WindowText(repeat), "12");
  // Kind 2 enables the file button only.
  EXPECT_FALSE(Enabled(kIdRepeat));
  EXPECT_TRUE(Enabled(kIdFileButton));
  EXPECT_TRUE(BoxShowsFilled(2));
  EXPECT_FALSE(BoxShowsFilled(0));
  EXPECT_EQ(WindowText(Item(kIdFileName)), music + "\\曲.mp3");
  EXPECT_EQ(WindowText(Item(kIdSet)), "設定");
  EXPECT_EQ(WindowText(Item(kIdCancel)), "ｷｬﾝｾﾙ");
  EXPECT_EQ(WindowText(Item(kIdFileButton)), "...");

  for (const char* arguments : {"/c", "/s"}) {
    auto second = StartSaver(arguments);
    EXPECT_EQ(second->Wait(15s), DWORD{0}) << arguments;
  }
  EXPECT_EQ(test::CountWindowsTitled(kTitle), 1);
  EXPECT_EQ(FindWindowA(nullptr, "Oruna_Main"), nullptr);

  Click(Item(kIdCancel));
  ExpectDialogEnds();
  EXPECT_EQ(test::ReadBytes(ini_), before);
}

TEST_F(SettingsDialogWindows, BoxesAndCaptionsPickTheKindAndSetWritesItInCodePage932) {
  OpenDialog();
  // No settings file: no music, nothing enabled.
  EXPECT_TRUE(BoxShowsFilled(0));
  EXPECT_FALSE(Enabled(kIdRepeat));
  EXPECT_FALSE(Enabled(kIdFileButton));

  Click(Item(kIdKindBox + 2));
  EXPECT_TRUE(Enabled(kIdFileButton));
  EXPECT_FALSE(Enabled(kIdRepeat));
  EXPECT_TRUE(BoxShowsFilled(2));
  EXPECT_FALSE(BoxShowsFilled(0));
  Click(Item(kIdKindCaption + 0), 3);  // any mouse button, on the caption
  EXPECT_FALSE(Enabled(kIdFileButton));
  EXPECT_FALSE(Enabled(kIdRepeat));
  EXPECT_TRUE(BoxShowsFilled(0));
  Click(Item(kIdKindCaption + 1));
  EXPECT_TRUE(Enabled(kIdRepeat));
  EXPECT_FALSE(Enabled(kIdFileButton));
  EXPECT_TRUE(BoxShowsFilled(1));

  // A track typed into the box shows whole, and is saved rounded.
  HWND repeat = Item(kIdRepeat);
  RECT field{};
  GetWindowRect(repeat, &field);
  Click(POINT{field.left + 8, (field.top + field.bottom) / 2});
  TypeText(L"7.6");
  ASSERT_TRUE(WaitFor([&] { return WindowText(repeat) == "7.6"; }, 5s)) << WindowText(repeat);
  MoveTo(CentreOf(Item(kIdSet)));  // hovered, as the picture shows it
  Pause(300ms);
  const std::vector<uint32_t> picture = Screenshot();
  const test::ClientPixel at = [&](int x, int y) { return picture[static_cast<size_t>(y) * 496 + x]; };
  test::ExpectDialogWithCdChosenAndSetHovered(at);
  // The box's text field, left of its arrow.
  HWND edit = FindWindowExW(repeat, nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  RECT text_field{};
  GetWindowRect(edit, &text_field);
  POINT client{0, 0};
  ClientToScreen(dialog_, &client);
  SCOPED_TRACE("text field " + std::to_string(text_field.left - client.x) + "," +
               std::to_string(text_field.top - client.y) + " to " + std::to_string(text_field.right - client.x) +
               "," + std::to_string(text_field.bottom - client.y));
  test::ExpectTrackTextShown(at, text_field.left - client.x, text_field.right - client.x - 1, text_field.top - client.y,
                             text_field.bottom - client.y - 1);
  EXPECT_FALSE(test::PathExists(ini_));  // nothing written before "設定"
  Click(Item(kIdSet));
  ExpectDialogEnds();
  EXPECT_EQ(test::ReadBytes(ini_), Settings(" 1", " 8", ""));
}

// "..." clicked (the chooser opens and is cancelled, the button keeps the
// focus), then another kind and the music file again: the next click on
// "..." opens the chooser, although the button lost the focus while it was
// disabled.
TEST_F(SettingsDialogWindows, FileButtonOpensTheChooserAgainAfterTheKindWasSwitched) {
  const std::string chooser_title = AnsiFromUtf8("ﾌｧｲﾙを開く");
  ASSERT_TRUE(test::WriteBytes(dir_.path() + "\\old.wav", "x"));
  ASSERT_TRUE(test::WriteBytes(ini_, Settings(" 2", " 0", AnsiFromUtf8(dir_.path() + "\\old.wav"))));
  OpenDialog();
  for (int round = 0; round < 2; ++round) {
    Click(Item(kIdFileButton));
    HWND chooser = WaitForWindow(chooser_title.c_str(), 20s);
    ASSERT_NE(chooser, nullptr) << "no file chooser in round " << round;
    Pause(300ms);
    PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindow(chooser) == FALSE; }, 10s));
    Pause(300ms);
    Click(Item(kIdKindCaption + 0));
    ASSERT_FALSE(Enabled(kIdFileButton));
    Click(Item(kIdKindCaption + 2));
    ASSERT_TRUE(Enabled(kIdFileButton));
  }
  Click(Item(kIdCancel));
  ExpectDialogEnds();
}

TEST_F(SettingsDialogWindows, FileChooserStartsInTheFoldersOfTheLastFileAndItsChoiceIsSaved) {
  const std::string music = dir_.path() + "\\音楽";
  ASSERT_TRUE(test::MakeFolder(music));
  ASSERT_TRUE(test::WriteBytes(music + "\\old.wav", "x"));
  ASSERT_TRUE(test::WriteBytes(music + "\\曲.mp3", "x"));
  ASSERT_TRUE(test::WriteBytes(ini_, Settings(" 2", " 0", AnsiFromUtf8(music + "\\old.wav"))));
  OpenDialog();
  Click(Item(kIdFileButton));
  HWND chooser = WaitForWindow(AnsiFromUtf8("ﾌｧｲﾙを開く").c_str(), 20s);
  ASSERT_NE(chooser, nullptr) << "no file chooser";
  Pause(500ms);
  // A name alone: the chooser resolves it in the folder it started in.
  HWND name = GetDlgItem(chooser, 0x47c);  // the file name box
  if (HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr)) name = edit;
  if (name == nullptr) name = GetDlgItem(chooser, 0x480);
  ASSERT_NE(name, nullptr);
  SetWindowTextW(name, L"曲.mp3");
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
  ASSERT_TRUE(WaitFor([&] { return IsWindow(chooser) == FALSE; }, 10s));
  EXPECT_TRUE(WaitFor([&] { return WindowText(Item(kIdFileName)) == music + "\\曲.mp3"; }, 5s))
      << WindowText(Item(kIdFileName));
  Click(Item(kIdSet));
  ExpectDialogEnds();
  EXPECT_EQ(test::ReadBytes(ini_), Settings(" 2", " 0", AnsiFromUtf8(music + "\\曲.mp3")));
}

TEST_F(SettingsDialogWindows, CancelAndCloseWriteNothing) {
  const std::string before = "; kept as it is\r\n[Other]\r\nx=1\r\n" + Settings(" 1", " 12", "");
  ASSERT_TRUE(test::WriteBytes(ini_, before));
  OpenDialog();
  Click(Item(kIdKindCaption + 2));
  ASSERT_TRUE(Enabled(kIdFileButton));
  Click(Item(kIdCancel));
  ExpectDialogEnds();
  EXPECT_EQ(test::ReadBytes(ini_), before);

  // Closed from the window frame.
  OpenDialog();
  Click(Item(kIdKindBox + 0));
  PostMessageW(dialog_, WM_CLOSE, 0, 0);
  ExpectDialogEnds();
  EXPECT_EQ(test::ReadBytes(ini_), before);
}

// The text of a message box: its one static control with text.
std::string MessageText(HWND box) {
  for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
       child = FindWindowExW(box, child, L"Static", nullptr)) {
    const std::string text = WindowText(child);
    if (!text.empty()) return text;
  }
  return "";
}

// Neither the program folder's settings file (read-only) nor the user's own
// (its folder's name taken by a plain file) can be written: "設定" says so in
// a message box owned by the dialog, writes nothing, and the dialog stays
// open for a retry or "ｷｬﾝｾﾙ".
TEST_F(SettingsDialogWindows, ASaveThatCannotBeWrittenIsReportedAndTheDialogStaysOpen) {
  const std::string before = Settings(" 0", " 0", "");
  ASSERT_TRUE(test::WriteBytes(ini_, before));
  ASSERT_TRUE(SetFileAttributesW(WideFromUtf8(ini_).c_str(), FILE_ATTRIBUTE_READONLY));
  const std::string blocker = dir_.path() + "\\blocker";
  ASSERT_TRUE(test::WriteBytes(blocker, "x"));
  // The session's own settings file, which later tests read, must not appear.
  wchar_t appdata[MAX_PATH] = {};
  GetEnvironmentVariableW(L"APPDATA", appdata, MAX_PATH);
  const std::string own = Utf8FromWide(appdata) + "\\Oruna\\Oruna.ini";
  const bool had_own = test::PathExists(own);
  OpenDialog({{"APPDATA", blocker}});
  Click(Item(kIdKindCaption + 1));
  Click(Item(kIdSet));
  HWND message = WaitForWindow("Oruna", 10s);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(GetWindow(message, GW_OWNER), dialog_);
  const std::string text = MessageText(message);
  const std::string opening = "設定を保存できませんでした（", closing = "）。";
  EXPECT_EQ(text.rfind(opening, 0), 0u) << text;
  EXPECT_GT(text.size(), opening.size() + closing.size()) << text;  // with the reason
  EXPECT_EQ(text.substr(text.size() - std::min(text.size(), closing.size())), closing) << text;
  PostMessageW(message, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return FindWindowA(nullptr, "Oruna") == nullptr; }, 10s));
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_EQ(test::ReadBytes(ini_), before);
  EXPECT_EQ(test::ReadBytes(blocker), "x");
  Click(Item(kIdCancel));
  ExpectDialogEnds();
  SetFileAttributesW(WideFromUtf8(ini_).c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
  EXPECT_EQ(test::PathExists(own), had_own) << own;
}

// The command that opens web addresses, replaced for a test and put back.
// Wine looks it up among the machine's classes only.
class WebHandler {
 public:
  static constexpr const wchar_t* kKey = L"Software\\Classes\\https\\shell\\open\\command";
  explicit WebHandler(const std::wstring& command) {
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS)
      return;
    wchar_t old[1024] = {};
    DWORD size = sizeof old - sizeof(wchar_t);
    had_old_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
    old_ = old;
    ok_ = Set(command);
  }
  ~WebHandler() {
    if (key_ == nullptr) return;
    if (had_old_) Set(old_);
    else RegDeleteValueW(key_, nullptr);
    RegCloseKey(key_);
  }
  bool ok() const { return ok_; }

 private:
  bool Set(const std::wstring& command) {
    return RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  HKEY key_ = nullptr;
  bool had_old_ = false, ok_ = false;
  std::wstring old_;
};

TEST_F(SettingsDialogWindows, LinkOpensThePageWithTheHandlerOfWebAddresses) {
  // A stand-in web browser, which writes down the address it was given.
  ASSERT_TRUE(test::CopyInto(test::BinaryDir() + "\\start_helper.exe", dir_.path() + "\\browser.exe"));
  WebHandler handler(L"\"" + WideFromUtf8(dir_.path()) + L"\\browser.exe\" %1");
  ASSERT_TRUE(handler.ok());
  OpenDialog();
  Click(Item(kIdLink));
  const std::string opened = dir_.path() + "\\arguments.txt";
  EXPECT_TRUE(WaitFor([&] { return test::ReadBytes(opened) == "https://oruna.example/"; }, 10s))
      << test::ReadBytes(opened);
  EXPECT_TRUE(IsWindowVisible(dialog_));  // the dialog stays open
  Click(Item(kIdCancel));
  ExpectDialogEnds();
  EXPECT_FALSE(test::PathExists(ini_));
}

}  // namespace
}  // namespace oruna
