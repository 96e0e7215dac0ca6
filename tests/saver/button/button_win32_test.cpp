// The Command button's Win32 window under Wine: what its back buffer holds
// (frame pieces copied with their transparent corners over the gradient),
// what the screen shows of it, and how real pointer, button and key input
// (SetCursorPos, SendInput) drives its looks, its focus and Click.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "button_win32.h"
#include "property_bag.h"
#include "wine_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;
using test::WaitFor;

constexpr COLORREF kFormColour = RGB(10, 20, 30);
constexpr int kButtonId = 7;
constexpr POINT kHostAt{100, 100}, kButtonAt{50, 40};  // the button is 77 x 25
constexpr POINT kCentre{kHostAt.x + kButtonAt.x + 38, kHostAt.y + kButtonAt.y + 12};
constexpr POINT kAway{kHostAt.x + 250, kHostAt.y + 120};  // on the form, off the button

// Pixels of the state pictures as the buffer holds them (0xAARRGGBB).
constexpr uint32_t kNormalBorder = 0xFF003C74, kNormalInside = 0xFFFEFDF6;
constexpr uint32_t kHighLightInside = 0xFFFEE89F, kDisableBorder = 0xFFC9C7BA;

int clicks = 0;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto fill = [hwnd](HDC dc) {
    RECT client{};
    GetClientRect(hwnd, &client);
    HBRUSH brush = CreateSolidBrush(kFormColour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
  };
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kButtonId && HIWORD(wparam) == BN_CLICKED) ++clicks;
      return 0;
    case WM_PRINTCLIENT:
      fill(reinterpret_cast<HDC>(wparam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      fill(BeginPaint(hwnd, &ps));
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

void Pump(std::chrono::milliseconds time) {
  WaitFor([] { return false; }, time);
}

void MoveTo(POINT at) {
  SetCursorPos(at.x, at.y);
  Pump(60ms);
}

void Mouse(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
  Pump(60ms);
}

void Key(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof input[0]);
  Pump(60ms);
}

int Red(uint32_t pixel) { return static_cast<int>((pixel >> 16) & 0xFF); }
int Blue(uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

class CommandWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    clicks = 0;
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrunaButtonTestHost";
    RegisterClassW(&wc);
    host_ = CreateWindowExW(0, wc.lpszClassName, L"button host", WS_POPUP | WS_CLIPCHILDREN, kHostAt.x, kHostAt.y,
                            300, 150, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(host_, nullptr);
    button_ = std::make_unique<CommandWin32>(host_, kButtonId, kButtonAt.x, kButtonAt.y, DesignFont());
    button_->Load(PropertyBag::FromText("_extentx = 2037\n_extenty = 661\ncaption = \"設定\"\n"));
    button_->control().Initialize();
    ShowWindow(host_, SW_SHOW);
    SetForegroundWindow(host_);
    SetFocus(host_);
    MoveTo(kAway);
    Pump(200ms);
  }
  void TearDown() override {
    button_.reset();
    if (host_ != nullptr) DestroyWindow(host_);
  }

  uint8_t State() const { return button_->control().ButtonState(); }
  bool StateBecomes(uint8_t state) {
    return WaitFor([&] { return button_->control().ButtonState() == state; }, 1s);
  }

  HWND host_ = nullptr;
  std::unique_ptr<CommandWin32> button_;
};

TEST_F(CommandWindow, PaintsTheFrameOverTheGradientAndShowsTheFormInItsCorners) {
  RECT client{};
  GetClientRect(button_->hwnd(), &client);
  EXPECT_EQ(client.right, 77);
  EXPECT_EQ(client.bottom, 25);
  EXPECT_EQ(State(), kStateNormal);
  // The picture's corner is copied with its transparency; its edges stretch.
  EXPECT_EQ(button_->BufferPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(button_->BufferPixel(38, 0), kNormalBorder);
  EXPECT_EQ(button_->BufferPixel(38, 1), kNormalInside);
  // White at the top of the centre, the blue-grey shade at its bottom.
  const uint32_t top = button_->BufferPixel(38, 4), bottom = button_->BufferPixel(38, 20);
  EXPECT_EQ(top >> 24, 0xFFu);
  EXPECT_EQ(bottom >> 24, 0xFFu);
  EXPECT_GT(Red(top), Red(bottom) + 20);
  EXPECT_GT(Blue(bottom), Red(bottom));

  // On screen the corner shows the form, the centre the button, and the
  // caption lies across the middle.
  HDC dc = GetDC(button_->hwnd());
  EXPECT_EQ(GetPixel(dc, 0, 0), kFormColour);
  EXPECT_NE(GetPixel(dc, 38, 4), kFormColour);
  int dark = 0;
  for (int y = 4; y < 21; ++y)
    for (int x = 20; x < 57; ++x) dark += GetRValue(GetPixel(dc, x, y)) < 100 ? 1 : 0;
  ReleaseDC(button_->hwnd(), dc);
  EXPECT_GT(dark, 20) << "no caption";
}

TEST_F(CommandWindow, HoverFollowsThePointerAndAnyWindowOverTheButton) {
  MoveTo(kCentre);
  ASSERT_TRUE(StateBecomes(kStateHover));
  EXPECT_EQ(button_->BufferPixel(38, 1), kHighLightInside);
  EXPECT_TRUE(button_->control().GradientReversed());
  MoveTo(kAway);
  ASSERT_TRUE(StateBecomes(kStateNormal)) << "the poll saw no leave";
  EXPECT_EQ(button_->BufferPixel(38, 1), kNormalInside);

  // Another window put over the hovered button counts as a leave.
  MoveTo(kCentre);
  ASSERT_TRUE(StateBecomes(kStateHover));
  HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"OrunaButtonTestHost", L"", WS_POPUP, kCentre.x - 20,
                               kCentre.y - 10, 40, 20, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(cover, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(StateBecomes(kStateNormal)) << "a covered button still looks hovered";
  DestroyWindow(cover);
}

TEST_F(CommandWindow, ClickTakesTheFocusAndTellsTheForm) {
  MoveTo(kCentre);
  ASSERT_TRUE(StateBecomes(kStateHover));
  Mouse(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(GetFocus(), button_->hwnd());
  EXPECT_EQ(State(), kStateFocusedHover);
  EXPECT_TRUE(button_->control().ButtonHeld());
  EXPECT_EQ(clicks, 0);
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(button_->BufferPixel(38, 1), kHighLightInside);  // HighLightSelect
  // Any other button clicks too, without taking part in the looks.
  Mouse(MOUSEEVENTF_RIGHTDOWN);
  Mouse(MOUSEEVENTF_RIGHTUP);
  EXPECT_EQ(clicks, 2);

  MoveTo(kAway);
  ASSERT_TRUE(StateBecomes(kStateFocused));
  SetFocus(host_);
  EXPECT_EQ(State(), kStateNormal);
  EXPECT_EQ(button_->BufferPixel(38, 1), kNormalInside);
}

TEST_F(CommandWindow, PressDraggedOffIsReleasedWithoutClick) {
  MoveTo(kCentre);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  ASSERT_EQ(State(), kStateFocusedHover);
  MoveTo(kAway);
  ASSERT_TRUE(StateBecomes(kStateFocused));
  Mouse(MOUSEEVENTF_LEFTUP);
  // The release still reached the button, which held the pointer.
  EXPECT_FALSE(button_->control().ButtonHeld());
  EXPECT_EQ(clicks, 0);
}

TEST_F(CommandWindow, KeysAndADisabledButtonRaiseNoClick) {
  MoveTo(kCentre);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Mouse(MOUSEEVENTF_LEFTUP);
  ASSERT_EQ(clicks, 1);
  ASSERT_EQ(GetFocus(), button_->hwnd());
  Key(VK_SPACE);
  Key(VK_RETURN);
  EXPECT_EQ(clicks, 1);

  button_->control().SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(button_->hwnd()));
  EXPECT_EQ(button_->BufferPixel(38, 0), kDisableBorder);
  const uint8_t state = State();
  MoveTo(kAway);
  MoveTo(kCentre);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Mouse(MOUSEEVENTF_LEFTUP);
  Pump(250ms);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(State(), state);
  EXPECT_EQ(button_->BufferPixel(38, 0), kDisableBorder);

  button_->control().SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(button_->hwnd()));
  EXPECT_EQ(button_->BufferPixel(38, 0), kNormalBorder);
}

}  // namespace
}  // namespace oruna
