// Win32 platform of the Command button: the window class "Oruna.Command",
// its back buffer (a 32-bit DIB section whose alpha marks what is painted, so
// that the rounded corners of the frame show the form behind them), the
// gradient through GradientFill (msimg32), the frame pieces through
// StretchBlt, the caption drawn with the wide GDI text functions, and the
// hover poll on a 100 ms SetTimer.
#include "button_win32.h"
#include "window_owner_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "wide_text_win32.h"

namespace oruna {
namespace {

constexpr UINT_PTR kPollTimerId = 1;
// The state pictures are 96-dot-per-inch art: 15 twips to their pixel.
constexpr double kPictureTwipsPerPixel = 15;
// The design size of a new instance, in twips.
constexpr int kDesignWidthTwips = 1755, kDesignHeightTwips = 420;
// A greyed caption: the text in grey over a white copy one pixel down right.
constexpr COLORREF kGreyedText = RGB(161, 159, 148);

struct PixelRect {
  int x, y, width, height;
};

// Twips to pixel edges: 1-twip offsets fall within the first pixel.
int PixelEdge(int twips, double twips_per_pixel) {
  return static_cast<int>(std::floor(twips / twips_per_pixel + 1e-9));
}

PixelRect ToPixels(const TwipsRect& r, double twips_per_pixel) {
  const int x0 = PixelEdge(r.x, twips_per_pixel), y0 = PixelEdge(r.y, twips_per_pixel);
  return {x0, y0, PixelEdge(r.x + r.width, twips_per_pixel) - x0, PixelEdge(r.y + r.height, twips_per_pixel) - y0};
}

// The state pictures as memory DCs, made once and kept for the process.
HDC StatePictureDC(ButtonPicture picture) {
  static HDC dcs[kButtonPictureCount] = {};
  HDC& dc = dcs[static_cast<int>(picture)];
  if (dc == nullptr) {
    HBITMAP bitmap = CreateUiPictureBitmap(ButtonStatePicture(picture));
    if (bitmap == nullptr) return nullptr;
    dc = CreateCompatibleDC(nullptr);
    if (dc != nullptr) SelectObject(dc, bitmap);
  }
  return dc;
}

int ShiftState(WPARAM wparam) {
  return ((wparam & MK_SHIFT) != 0 ? 1 : 0) | ((wparam & MK_CONTROL) != 0 ? 2 : 0) |
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

int ButtonsHeld(WPARAM wparam) {
  return ((wparam & MK_LBUTTON) != 0 ? kLeftButton : 0) | ((wparam & MK_RBUTTON) != 0 ? kRightButton : 0) |
         ((wparam & MK_MBUTTON) != 0 ? kMiddleButton : 0);
}

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool FaceInstalled(const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return false;
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

// The face to ask GDI for. A face that is not installed would leave the
// choice to the font mapper, which picks any face of the character set,
// often a fixed-pitch one; the design face's other name and the proportional
// Japanese UI faces of Windows (and of the free desktops, for Wine) come
// first.
std::wstring InstalledFace(const std::wstring& face) {
  static const wchar_t* const kFallbacks[] = {L"MS PGothic", L"ＭＳ Ｐゴシック", L"Meiryo UI", L"Yu Gothic UI",
                                              L"MS UI Gothic", L"VL PGothic"};
  if (FaceInstalled(face)) return face;
  for (const wchar_t* fallback : kFallbacks)
    if (FaceInstalled(fallback)) return fallback;
  return face;
}

}  // namespace

HBITMAP CreateUiPictureBitmap(const UiPicture& picture) {
  if (!picture.ok()) return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // rows top first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return bitmap;
  auto* out = static_cast<uint32_t*>(bits);
  const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = &picture.rgba[i * 4];
    const uint32_t a = p[3];
    auto pre = [a](uint8_t c) { return static_cast<uint32_t>((c * a + 127) / 255); };
    out[i] = a << 24 | pre(p[0]) << 16 | pre(p[1]) << 8 | pre(p[2]);
  }
  return bitmap;
}

HFONT CreateCaptionFont(const FontObject& font, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(std::lround(font.size * dpi / 72.0));
  lf.lfWeight = font.weight;
  lf.lfItalic = font.italic ? TRUE : FALSE;
  lf.lfUnderline = font.underline ? TRUE : FALSE;
  lf.lfStrikeOut = font.strikethrough ? TRUE : FALSE;
  lf.lfCharSet = static_cast<BYTE>(font.charset);
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring face = InstalledFace(WideFromUtf8(font.name));
  wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectW(&lf);
}

COLORREF ColourOf(int32_t colour) {
  const auto value = static_cast<uint32_t>(colour);
  if ((value & 0x80000000u) != 0) return GetSysColor(static_cast<int>(value & 0xFF));
  return value & 0x00FFFFFFu;
}

void PaintParentBackground(HWND child, HDC dc, int width, int height) {
  HWND parent = GetParent(child);
  RECT all{0, 0, width, height};
  auto brush = parent != nullptr ? reinterpret_cast<HBRUSH>(GetClassLongPtrW(parent, GCLP_HBRBACKGROUND)) : nullptr;
  FillRect(dc, &all, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
  if (parent == nullptr) return;
  POINT origin{0, 0};
  MapWindowPoints(child, parent, &origin, 1);
  POINT old{};
  OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
  SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void CommandWin32::Buffer::Create(int w, int h) {
  Destroy();
  width = w > 0 ? w : 1;
  height = h > 0 ? h : 1;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* data = nullptr;
  bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &data, nullptr, 0);
  dc = CreateCompatibleDC(nullptr);
  if (bitmap == nullptr || dc == nullptr || data == nullptr) {
    Destroy();
    return;
  }
  bits = static_cast<uint32_t*>(data);
  old = SelectObject(dc, bitmap);
  std::memset(bits, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
}

void CommandWin32::Buffer::Destroy() {
  if (dc != nullptr) {
    if (old != nullptr) SelectObject(dc, old);
    DeleteDC(dc);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  *this = Buffer{};
}

CommandWin32::CommandWin32(HWND parent, int id, int x, int y, const FontObject& ambient_font)
    : id_(id), ambient_font_(ambient_font), control_(*this, *this) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    // No CS_DBLCLKS: a double click is two presses, each handled alike.
    wc.lpfnWndProc = &CommandWin32::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kCommandClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  HDC screen = GetDC(nullptr);
  if (screen != nullptr) {
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  if (dpi_ <= 0) dpi_ = 96;
  caption_ = control_.LblMsg();
  hwnd_ = CreateWindowExW(0, kCommandClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, x, y,
                          MulDiv(kDesignWidthTwips, dpi_, 1440), MulDiv(kDesignHeightTwips, dpi_, 1440), parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), this);
}

CommandWin32::~CommandWin32() {
  if (hwnd_ != nullptr) {
    // No message of the dying window reaches the half-destroyed object.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  buffer_.Destroy();
  compose_.Destroy();
  if (font_ != nullptr) DeleteObject(font_);
}

void CommandWin32::Load(const PropertyBag& bag) {
  int width = 0, height = 0;
  if (hwnd_ != nullptr && StoredExtentPixels(bag, width, height))
    SetWindowPos(hwnd_, nullptr, 0, 0, MulDiv(width, dpi_, 96), MulDiv(height, dpi_, 96),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  control_.UserControl_ReadProperties(bag);
  if (hwnd_ != nullptr) EnableWindow(hwnd_, control_.EnabledValue());
}

uint32_t CommandWin32::BufferPixel(int x, int y) const {
  if (buffer_.bits == nullptr || x < 0 || y < 0 || x >= buffer_.width || y >= buffer_.height) return 0;
  GdiFlush();
  return buffer_.bits[static_cast<size_t>(y) * static_cast<size_t>(buffer_.width) + static_cast<size_t>(x)];
}

void CommandWin32::SizeTwips(int& width, int& height) {
  width = static_cast<int>(std::lround(buffer_.width * TwipsPerPixel()));
  height = static_cast<int>(std::lround(buffer_.height * TwipsPerPixel()));
}

void CommandWin32::InnerSizePixels(int& width, int& height) {
  width = buffer_.width;
  height = buffer_.height;
}

void CommandWin32::Clear() {
  if (buffer_.bits == nullptr) return;
  GdiFlush();
  std::memset(buffer_.bits, 0, static_cast<size_t>(buffer_.width) * static_cast<size_t>(buffer_.height) * 4);
}

void CommandWin32::GradientFillV(const GradientVertex& top, const GradientVertex& bottom) {
  if (buffer_.dc == nullptr || bottom.x < top.x || bottom.y < top.y) return;
  TRIVERTEX vertices[2] = {
      {top.x, top.y, top.red, top.green, top.blue, top.alpha},
      {bottom.x, bottom.y, bottom.red, bottom.green, bottom.blue, bottom.alpha},
  };
  GRADIENT_RECT rect{0, 1};
  if (!GradientFill(buffer_.dc, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V)) return;
  // The buffer's alpha marks painted pixels, and the fill is opaque whatever
  // alpha the vertices carry. GDI fills up to, not including, the second
  // vertex.
  GdiFlush();
  for (int y = std::max(top.y, 0); y < std::min(bottom.y, buffer_.height); ++y)
    for (int x = std::max(top.x, 0); x < std::min(bottom.x, buffer_.width); ++x)
      buffer_.bits[static_cast<size_t>(y) * static_cast<size_t>(buffer_.width) + static_cast<size_t>(x)] |=
          0xFF000000u;
}

void CommandWin32::PaintPicture(ButtonPicture picture, const TwipsRect& dest, const TwipsRect& source) {
  const PixelRect d = ToPixels(dest, TwipsPerPixel()), s = ToPixels(source, kPictureTwipsPerPixel);
  if (buffer_.dc == nullptr || d.width <= 0 || d.height <= 0 || s.width <= 0 || s.height <= 0) return;
  HDC picture_dc = StatePictureDC(picture);
  if (picture_dc == nullptr) return;
  // A copy: the picture's pixels, alpha included, replace the buffer's, so
  // its transparent corners let the form show through. Whole source pixels
  // keep the 1-pixel border crisp.
  SetStretchBltMode(buffer_.dc, COLORONCOLOR);
  StretchBlt(buffer_.dc, d.x, d.y, d.width, d.height, picture_dc, s.x, s.y, s.width, s.height, SRCCOPY);
}

void CommandWin32::Present() {
  if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CommandWin32::SetOpaque(bool opaque) {
  opaque_ = opaque;
  Present();
}

void CommandWin32::ShowCaption(const CaptionLabel& caption) {
  const bool text_changed = caption.text != caption_.text;
  caption_ = caption;
  // The window text carries the caption for tools that read it (screen
  // readers, window spies); the control draws it itself.
  if (hwnd_ != nullptr && text_changed) SetWindowTextW(hwnd_, WideFromUtf8(caption_.text).c_str());
  Present();
}

HFONT CommandWin32::FontFor(const FontObject& font) {
  if (font_ == nullptr || !(font == font_made_for_)) {
    if (font_ != nullptr) DeleteObject(font_);
    font_ = CreateCaptionFont(font, dpi_);
    font_made_for_ = font;
  }
  return font_;
}

double CommandWin32::CaptionHeightTwips(const CaptionLabel& caption) {
  HDC dc = buffer_.dc != nullptr ? buffer_.dc : GetDC(nullptr);
  if (dc == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, FontFor(caption.font));
  TEXTMETRICW metrics{};
  const bool ok = GetTextMetricsW(dc, &metrics) != 0;
  SelectObject(dc, old);
  if (dc != buffer_.dc) ReleaseDC(nullptr, dc);
  return ok ? metrics.tmHeight * TwipsPerPixel() : 0;
}

void CommandWin32::DrawCaption(HDC dc) {
  if (caption_.text.empty()) return;
  const std::wstring text = WideFromUtf8(caption_.text);
  const double tpp = TwipsPerPixel();
  RECT box{static_cast<LONG>(std::lround(caption_.left / tpp)), static_cast<LONG>(std::lround(caption_.top / tpp)),
           static_cast<LONG>(std::lround((caption_.left + caption_.width) / tpp)), compose_.height};
  HGDIOBJ old_font = SelectObject(dc, FontFor(caption_.font));
  SetBkMode(dc, TRANSPARENT);
  constexpr UINT kFormat = DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
  if (caption_.enabled) {
    SetTextColor(dc, ColourOf(caption_.colour));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, kFormat);
  } else {
    RECT shadow = box;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, kFormat);
    SetTextColor(dc, kGreyedText);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, kFormat);
  }
  SelectObject(dc, old_font);
}

ButtonSurface::WindowId CommandWin32::WindowAtPointer() {
  POINT at{};
  if (!GetCursorPos(&at)) return 0;
  return reinterpret_cast<WindowId>(WindowFromPoint(at));
}

ButtonSurface::WindowId CommandWin32::OwnWindow() { return reinterpret_cast<WindowId>(hwnd_); }

ButtonSurface::WindowId CommandWin32::ParentWindow() {
  return reinterpret_cast<WindowId>(hwnd_ != nullptr ? GetParent(hwnd_) : nullptr);
}

void CommandWin32::StartPollTimer(int interval_ms) {
  if (hwnd_ != nullptr) SetTimer(hwnd_, kPollTimerId, static_cast<UINT>(interval_ms), nullptr);
}

void CommandWin32::Click() {
  if (hwnd_ == nullptr) return;
  SendMessageW(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(id_, BN_CLICKED), reinterpret_cast<LPARAM>(hwnd_));
}

// A disabled button is a disabled window too: the form's keyboard
// navigation skips it and other programs see its state.
void CommandWin32::PropertyChanged(const std::string& name) {
  if (name == "Enabled" && hwnd_ != nullptr) EnableWindow(hwnd_, control_.EnabledValue());
}

void CommandWin32::Resize(int width, int height) {
  if (width == buffer_.width && height == buffer_.height && buffer_.dc != nullptr) return;
  buffer_.Create(width, height);
  compose_.Create(width, height);
  control_.UserControl_Resize();
}

void CommandWin32::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (dc == nullptr) return;
  if (compose_.dc != nullptr) {
    // The platform's repaint shows the buffer; it never calls the logic.
    const int w = compose_.width, h = compose_.height;
    PaintParentBackground(hwnd_, compose_.dc, w, h);
    if (opaque_ && buffer_.dc != nullptr) {
      const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      AlphaBlend(compose_.dc, 0, 0, w, h, buffer_.dc, 0, 0, buffer_.width, buffer_.height, blend);
    }
    DrawCaption(compose_.dc);
    BitBlt(dc, 0, 0, w, h, compose_.dc, 0, 0, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
}

void CommandWin32::Pointer(UINT message, WPARAM wparam, LPARAM lparam) {
  const double tpp = TwipsPerPixel();
  const double x = GET_X_LPARAM(lparam) * tpp, y = GET_Y_LPARAM(lparam) * tpp;
  const int shift = ShiftState(wparam);
  switch (message) {
    case WM_MOUSEMOVE:
      control_.UserControl_MouseMove(ButtonsHeld(wparam), shift, x, y);
      break;
    case WM_LBUTTONDOWN:
      control_.UserControl_MouseDown(kLeftButton, shift, x, y);
      // A left press takes the keyboard focus, as push buttons do, and keeps
      // the pointer until the release, so that a press dragged off is
      // released here (and, the poll having seen the pointer leave, raises
      // no Click). A disabled button takes neither.
      if (control_.EnabledValue()) {
        SetFocus(hwnd_);
        SetCapture(hwnd_);
      }
      break;
    case WM_RBUTTONDOWN: control_.UserControl_MouseDown(kRightButton, shift, x, y); break;
    case WM_MBUTTONDOWN: control_.UserControl_MouseDown(kMiddleButton, shift, x, y); break;
    case WM_LBUTTONUP:
      // Released first: Click may open a modal window or close the form.
      if (GetCapture() == hwnd_) ReleaseCapture();
      control_.UserControl_MouseUp(kLeftButton, shift, x, y);
      break;
    case WM_RBUTTONUP: control_.UserControl_MouseUp(kRightButton, shift, x, y); break;
    case WM_MBUTTONUP: control_.UserControl_MouseUp(kMiddleButton, shift, x, y); break;
    default: break;
  }
}

LRESULT CALLBACK CommandWin32::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  // The object arrives with the creation; WM_SIZE follows before
  // CreateWindowExW returns.
  auto* self = WindowOwner<CommandWin32>(hwnd, message, lparam);
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) self->hwnd_ = hwnd;
  return self->Handle(message, wparam, lparam);
}

LRESULT CommandWin32::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      Resize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT:
      Paint();
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      Pointer(message, wparam, lparam);
      return 0;
    case WM_SETFOCUS:
      control_.UserControl_GotFocus();
      return 0;
    case WM_KILLFOCUS:
      control_.UserControl_LostFocus();
      return 0;
    case WM_TIMER:
      if (wparam == kPollTimerId) {
        control_.TmrMouse_Timer();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace oruna
