// The settings dialog's labels and selection-box pictures on Win32. Each is
// a small child window so that the form can place it, hit-test it and give
// it a cursor of its own, but it paints like a windowless label: the form
// behind it first (through the parent's WM_PRINTCLIENT), then its text or
// picture, all in one memory bitmap.
#include "label_win32.h"

#include "button_win32.h"
#include "wide_text_win32.h"

namespace oruna {
namespace {

struct Label {
  LabelLook look;
  bool pressed = false;  // left button went down on it
};

Label* LabelOf(HWND hwnd) { return reinterpret_cast<Label*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

void Notify(HWND hwnd, WORD code) {
  SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

void Paint(HWND hwnd, const Label& label) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc == nullptr) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
  if (memory != nullptr && bitmap != nullptr) {
    HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
    PaintParentBackground(hwnd, memory, client.right, client.bottom);
    if (label.look.picture != nullptr) {
      BITMAP info{};
      GetObjectW(label.look.picture, sizeof info, &info);
      HDC picture = CreateCompatibleDC(dc);
      HGDIOBJ old_picture = SelectObject(picture, label.look.picture);
      const int width = MulDiv(info.bmWidth, label.look.dpi, 96), height = MulDiv(info.bmHeight, label.look.dpi, 96);
      if (width == info.bmWidth && height == info.bmHeight) {
        BitBlt(memory, 0, 0, width, height, picture, 0, 0, SRCCOPY);
      } else {
        SetStretchBltMode(memory, HALFTONE);
        SetBrushOrgEx(memory, 0, 0, nullptr);
        StretchBlt(memory, 0, 0, width, height, picture, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
      }
      SelectObject(picture, old_picture);
      DeleteDC(picture);
    } else {
      const std::wstring text = WindowText(hwnd);
      HGDIOBJ old_font = label.look.font != nullptr ? SelectObject(memory, label.look.font) : nullptr;
      SetBkMode(memory, TRANSPARENT);
      SetTextColor(memory, label.look.colour);
      RECT box = client;
      DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &box, label.look.format);
      if (old_font != nullptr) SelectObject(memory, old_font);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old_bitmap);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  Label* label = LabelOf(hwnd);
  if (label == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, *label);
      return 0;
    case WM_LBUTTONDOWN:
      label->pressed = true;
      SetCapture(hwnd);
      Notify(hwnd, kLabelMouseDown);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      Notify(hwnd, kLabelMouseDown);
      return 0;
    case WM_LBUTTONUP: {
      // A click is a press and a release both on the label.
      const bool was_pressed = label->pressed;
      label->pressed = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      RECT client{};
      GetClientRect(hwnd, &client);
      const POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      if (was_pressed && PtInRect(&client, at)) Notify(hwnd, kLabelClick);
      return 0;
    }
    case WM_CAPTURECHANGED:
      label->pressed = false;
      return 0;
    case WM_SETCURSOR:
      // The form decides first (an hourglass while it is busy).
      if (SendMessageW(GetParent(hwnd), WM_SETCURSOR, wparam, lparam) != 0) return TRUE;
      if (label->look.link && LOWORD(lparam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
        return TRUE;
      }
      break;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcW(hwnd, message, wparam, lparam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete label;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

HWND CreateLabel(HWND parent, int id, const RECT& box, const std::string& text, const LabelLook& look) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = LabelProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.lpszClassName = kLabelClassName;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  HWND hwnd = CreateWindowExW(0, kLabelClassName, WideFromUtf8(text).c_str(), WS_CHILD | WS_VISIBLE, box.left,
                              box.top, box.right - box.left, box.bottom - box.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd != nullptr) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Label{look}));
  return hwnd;
}

void SetLabelText(HWND label, const std::string& text) { SetWindowTextW(label, WideFromUtf8(text).c_str()); }

std::string LabelText(HWND label) { return Utf8FromWide(WindowText(label)); }

void SetLabelPicture(HWND label, HBITMAP picture) {
  if (Label* data = LabelOf(label)) {
    data->look.picture = picture;
    InvalidateRect(label, nullptr, FALSE);
  }
}

HBITMAP LabelPicture(HWND label) {
  const Label* data = LabelOf(label);
  return data != nullptr ? data->look.picture : nullptr;
}

}  // namespace oruna
