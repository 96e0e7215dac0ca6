// Preview on Windows: the form "Preview Window" made a child of the host's
// pane (WS_CHILD added to its style, then SetParent), covering the pane, light
// grey underneath, with the preview picture stretched over it by
// StretchDIBits. It ends when its window is destroyed, which happens with the
// pane when the host destroys it; a timer also checks that the pane is still
// a window, in case that destruction does not reach us, and follows the
// pane's size.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "builtin_pictures.h"
#include "command_line_win32.h"
#include "preview.h"

namespace oruna {
namespace {

constexpr char kPreviewClass[] = "Oruna_Preview";
constexpr char kPreviewTitle[] = "Preview Window";
constexpr UINT_PTR kPaneWatchTimer = 1;
constexpr UINT kPaneWatchIntervalMs = 250;

// The preview picture as a top-down 32-bit DIB.
struct PreviewPicture {
  BITMAPINFO info{};
  std::vector<uint32_t> pixels;
};

PreviewPicture LoadPreviewPicture() {
  PreviewPicture result;
  const DecodedPicture picture = DecodePicture(Picture::Preview);
  const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  if (picture.width <= 0 || picture.height <= 0 || picture.rgb.size() < count * 3) return result;
  result.pixels.resize(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* rgb = &picture.rgb[i * 3];
    result.pixels[i] = (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2];
  }
  BITMAPINFOHEADER& header = result.info.bmiHeader;
  header.biSize = sizeof header;
  header.biWidth = picture.width;
  header.biHeight = -picture.height;  // top row first
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  return result;
}

RECT PaneRect(HWND pane) {
  RECT rect{};
  if (!GetWindowRect(pane, &rect)) rect = RECT{};
  return rect;
}

class PreviewWin32 final : public Preview {
 public:
  explicit PreviewWin32(HWND pane) : pane_(pane), picture_(LoadPreviewPicture()) {}
  ~PreviewWin32() override {
    if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  }

  bool Create();
  void Run() override;

 private:
  static LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  void FollowPane();

  HWND pane_;
  HWND window_ = nullptr;
  RECT pane_rect_{};
  PreviewPicture picture_;
};

LRESULT CALLBACK PreviewWin32::PreviewProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<PreviewWin32*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
      break;
    case WM_PAINT:
      if (self != nullptr) {
        self->Paint();
        return 0;
      }
      break;
    case WM_TIMER:
      if (self != nullptr && wparam == kPaneWatchTimer) self->FollowPane();
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool PreviewWin32::Create() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA preview_class{};
  if (!GetClassInfoA(instance, kPreviewClass, &preview_class)) {
    preview_class.lpfnWndProc = PreviewProc;
    preview_class.hInstance = instance;
    preview_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    preview_class.hbrBackground = CreateSolidBrush(RGB(192, 192, 192));  // light grey underneath
    preview_class.lpszClassName = kPreviewClass;
    RegisterClassA(&preview_class);
  }

  pane_rect_ = PaneRect(pane_);
  // Made as a hidden borderless window, then turned into the pane's child.
  window_ = CreateWindowExA(0, kPreviewClass, kPreviewTitle, WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr,
                            nullptr, instance, this);
  if (window_ == nullptr) return false;
  // A child window must not keep the popup style: the two exclude each other.
  const LONG style = GetWindowLongA(window_, GWL_STYLE);
  SetWindowLongA(window_, GWL_STYLE, (style | WS_CHILD) & ~static_cast<LONG>(WS_POPUP));
  if (SetParent(window_, pane_) == nullptr) return false;  // the pane vanished meanwhile
  MoveWindow(window_, 0, 0, pane_rect_.right - pane_rect_.left, pane_rect_.bottom - pane_rect_.top, FALSE);
  SetTimer(window_, kPaneWatchTimer, kPaneWatchIntervalMs, nullptr);
  ShowWindow(window_, SW_SHOW);
  UpdateWindow(window_);
  return true;
}

void PreviewWin32::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  RECT client{};
  GetClientRect(window_, &client);
  if (!picture_.pixels.empty()) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    const LONG width = picture_.info.bmiHeader.biWidth;
    const LONG height = -picture_.info.bmiHeader.biHeight;
    StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, width, height, picture_.pixels.data(),
                  &picture_.info, DIB_RGB_COLORS, SRCCOPY);
  }
  EndPaint(window_, &paint);
}

void PreviewWin32::FollowPane() {
  if (!IsWindow(pane_)) {
    DestroyWindow(window_);
    return;
  }
  const RECT rect = PaneRect(pane_);
  if (rect.right - rect.left == pane_rect_.right - pane_rect_.left &&
      rect.bottom - rect.top == pane_rect_.bottom - pane_rect_.top)
    return;
  pane_rect_ = rect;
  MoveWindow(window_, 0, 0, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void PreviewWin32::Run() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  window_ = nullptr;  // destroyed by now
}

}  // namespace

std::unique_ptr<Preview> StartPreviewWindow(int64_t parent) {
  const HWND pane = WindowOfHandleNumber(parent);
  if (pane == nullptr || !IsWindow(pane)) return nullptr;
  auto preview = std::make_unique<PreviewWin32>(pane);
  if (!preview->Create()) return nullptr;
  return preview;
}

}  // namespace oruna
