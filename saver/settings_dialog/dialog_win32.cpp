// The settings dialog Oruna_P, captioned "<Oruna>", on Win32: a fixed
// 496 x 246 client area over the sine-shaded background (painted on every
// resize into a bitmap of its own), the panel Pic_C tiled with the
// brushed-metal strip (BitBlt SRCCOPY), labels and selection boxes, the
// drop-down track box, the three Command buttons loaded from their stored
// bags, GetOpenFileNameA for the music file, ShellExecuteA for the link and
// DrawAnimatedRects on opening and closing. Shown modally by Oruna.scr /c
// with a message loop of its own; returns when it has closed. With
// "/c:<window>" it is owned by the host's settings window: no taskbar button
// of its own, above that window, centred over it on its monitor, and that
// window disabled while the dialog is open, as a modal dialog's owner is.
//
// Text: the program holds UTF-8. Everything the dialog only shows goes
// through the wide (W) functions, so it reads right whatever the system's
// ANSI code page. The file chooser and the link are ANSI calls (A) with the
// record and arguments the dialog has always passed; their texts are
// converted to the ANSI code page (932 on Japanese systems), so on a system
// with another code page the chooser's title and filter name show "?" for
// the Japanese characters, and a chosen path must be expressible in that
// code page, which the settings file needs anyway.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>

#include "button_win32.h"
#include "dialog_controls_win32.h"
#include "dialog_model.h"
#include "dialog_pictures.h"
#include "label_win32.h"
#include "settings_dialog_entry.h"
#include "settings_dialog_owner_win32.h"
#include "settings_file.h"
#include "wide_text_win32.h"
#include "window_owner_win32.h"

namespace oruna {
namespace {

constexpr wchar_t kFormClass[] = L"Oruna_P";
constexpr wchar_t kPanelClass[] = L"Oruna.Panel";
constexpr wchar_t kTitle[] = L"<Oruna>";
constexpr wchar_t kMessageTitle[] = L"Oruna";
constexpr int kClientWidth = 496, kClientHeight = 246;
constexpr const char* kChooserTitle = "ﾌｧｲﾙを開く";
constexpr int kChooserBufferChars = 255;
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);
constexpr COLORREF kPanelGrey = RGB(224, 224, 224);
constexpr COLORREF kFrameBlue = RGB(0, 60, 116);
constexpr int kIconResource = 1;  // the program icon of Oruna.scr

// A memory DC with a top-down 32-bit DIB section.
struct MemoryBitmap {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int width = 0, height = 0;

  MemoryBitmap() = default;
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;
  ~MemoryBitmap() { Destroy(); }

  bool Create(int w, int h) {
    Destroy();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* data = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &data, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    if (bitmap == nullptr || dc == nullptr || data == nullptr) {
      Destroy();
      return false;
    }
    old = SelectObject(dc, bitmap);
    bits = static_cast<uint32_t*>(data);
    width = w;
    height = h;
    return true;
  }
  // Takes over a bitmap made elsewhere (a decoded picture).
  bool Adopt(HBITMAP picture) {
    Destroy();
    BITMAP info{};
    if (picture == nullptr || GetObjectW(picture, sizeof info, &info) == 0) return false;
    dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) {
      DeleteObject(picture);
      return false;
    }
    bitmap = picture;
    old = SelectObject(dc, bitmap);
    width = info.bmWidth;
    height = info.bmHeight;
    return true;
  }
  void Destroy() {
    if (dc != nullptr) {
      if (old != nullptr) SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    dc = nullptr;
    bitmap = nullptr;
    old = nullptr;
    bits = nullptr;
    width = height = 0;
  }
};

// The window icon from the program's resources, else made from our picture.
HICON LoadFormIcon(int size) {
  HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size,
                           LR_DEFAULTCOLOR | LR_SHARED);
  if (icon != nullptr) return static_cast<HICON>(icon);
  HBITMAP colour = CreateUiPictureBitmap(DialogPictureOf(DialogPicture::Icon));
  if (colour == nullptr) return nullptr;
  BITMAP info{};
  GetObjectW(colour, sizeof info, &info);
  HBITMAP mask = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
  ICONINFO parts{TRUE, 0, 0, mask, colour};
  HICON made = CreateIconIndirect(&parts);
  DeleteObject(mask);
  DeleteObject(colour);
  return made;
}

class SettingsDialog {
 public:
  // `owner`: the host's window the dialog belongs to, or null.
  explicit SettingsDialog(HWND owner);
  ~SettingsDialog();
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Loads and shows the dialog, and returns once it has closed.
  void ShowModal();

 private:
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT FormMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT PanelMessage(HWND panel, UINT message, WPARAM wparam, LPARAM lparam);

  int Px(int design) const { return MulDiv(design, dpi_, 96); }
  RECT Box(int x, int y, int width, int height) const { return {Px(x), Px(y), Px(x + width), Px(y + height)}; }
  void Build();
  void BuildPanel();
  HWND AddText(HWND parent, int id, int x, int y, int width, int height, const char* text, COLORREF colour,
               UINT format, bool link = false);
  std::unique_ptr<CommandWin32> AddButton(HWND parent, int id, DialogButton which, int x, int y);
  void BuildTrackBox();
  bool WidenTrackField();

  void Form_Load();
  void Form_Resize(int width, int height);
  void Form_Unload();
  void Cmd_Setup();
  void Pic_Tile(HDC dc, int width, int height);
  void PaintPanelImage();
  void ShowKind();
  void SelectKind(int index);
  void Cmd_File_Click();
  void Cmd_Set_Click();
  void Cmd_Can_Click();
  void lbl_URL_Click();
  void Close();
  void OnCommand(int id, int code);
  void PlaceOnScreen();
  void ReleaseOwner();

  SettingsDialogModel model_;
  int dpi_ = 96;
  HWND window_ = nullptr;
  HWND owner_ = nullptr;           // the host's settings window, or null
  bool disabled_owner_ = false;    // we disabled the owner and enable it again
  HWND panel_ = nullptr;  // Pic_C
  std::array<HWND, kKindCount> img_bgm_{};
  HWND bgm_repeat_ = nullptr;
  HWND lbl_fname_ = nullptr;
  HWND lbl_url_ = nullptr;
  std::unique_ptr<CommandWin32> cmd_file_, cmd_set_, cmd_can_;
  HFONT font_ = nullptr;
  HFONT track_font_ = nullptr;  // font_, or a smaller size of it where a track text needs that
  HICON icon_big_ = nullptr, icon_small_ = nullptr;
  MemoryBitmap background_;   // painted by Form_Resize
  MemoryBitmap panel_image_;  // Pic_C as Pic_Tile left it
  MemoryBitmap strip_;        // Pic_Mbl
  std::array<HBITMAP, 2> box_pictures_{};  // Img_Ra 0 (empty) and 1 (filled)
  HWND focus_before_ = nullptr;  // the control that had the focus when the form was deactivated
  POINT anim_point_{0, 0};       // Anim_Point
  bool busy_ = false;            // the hourglass is showing
  bool closing_ = false, closed_ = false;
};

// The top-level window that `window` is or belongs to; null when it names
// no window.
HWND TopLevelOf(HWND window) {
  if (window == nullptr || !IsWindow(window)) return nullptr;
  return GetAncestor(window, GA_ROOT);
}

SettingsDialog::SettingsDialog(HWND owner) : owner_(TopLevelOf(owner)) {
  HDC screen = GetDC(nullptr);
  if (screen != nullptr) {
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  if (dpi_ <= 0) dpi_ = 96;
  font_ = CreateCaptionFont(DesignFont(), dpi_);
  strip_.Adopt(CreateUiPictureBitmap(DialogPictureOf(DialogPicture::MetalStrip)));
  box_pictures_[0] = CreateUiPictureBitmap(DialogPictureOf(DialogPicture::BoxEmpty));
  box_pictures_[1] = CreateUiPictureBitmap(DialogPictureOf(DialogPicture::BoxFilled));
  icon_big_ = LoadFormIcon(GetSystemMetrics(SM_CXICON));
  icon_small_ = LoadFormIcon(GetSystemMetrics(SM_CXSMICON));
  Build();
}

SettingsDialog::~SettingsDialog() {
  ReleaseOwner();
  // The buttons go first: their windows are children of the form.
  cmd_file_.reset();
  cmd_set_.reset();
  cmd_can_.reset();
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    if (panel_ != nullptr) SetWindowLongPtrW(panel_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  for (HBITMAP picture : box_pictures_)
    if (picture != nullptr) DeleteObject(picture);
  if (track_font_ != nullptr && track_font_ != font_) DeleteObject(track_font_);
  if (font_ != nullptr) DeleteObject(font_);
}

void SettingsDialog::Build() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = FormProc;
  form.hInstance = instance;
  form.hIcon = icon_big_;
  form.hIconSm = icon_small_;
  form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  form.lpszClassName = kFormClass;
  RegisterClassExW(&form);
  WNDCLASSEXW panel{};
  panel.cbSize = sizeof panel;
  panel.lpfnWndProc = PanelProc;
  panel.hInstance = instance;
  panel.hCursor = form.hCursor;
  panel.lpszClassName = kPanelClass;
  RegisterClassExW(&panel);

  // A fixed frame with the window icon; the client area is what the design
  // gives, whatever the frame's size on this system.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const DWORD ex_style = WS_EX_CONTROLPARENT;
  RECT outer{0, 0, Px(kClientWidth), Px(kClientHeight)};
  AdjustWindowRectEx(&outer, style, FALSE, ex_style);
  window_ = CreateWindowExW(ex_style, kFormClass, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                            outer.right - outer.left, outer.bottom - outer.top, owner_, nullptr, instance, this);
  if (window_ == nullptr) return;

  BuildPanel();
  AddText(window_, kIdCredit, 12, 192, 165, 13, kCreditText, kWhite, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  lbl_url_ = AddText(window_, kIdLink, 12, 208, 219, 13, kLinkText, kWhite, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX,
                     /*link=*/true);
  cmd_set_ = AddButton(window_, kIdSet, DialogButton::Set, 324, 200);
  cmd_can_ = AddButton(window_, kIdCancel, DialogButton::Cancel, 404, 200);
}

void SettingsDialog::BuildPanel() {
  const RECT box = Box(12, 16, 469, 165);
  panel_ = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, box.left,
                           box.top, box.right - box.left, box.bottom - box.top, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPanel)), GetModuleHandleW(nullptr), this);
  if (panel_ == nullptr) return;
  panel_image_.Create(box.right - box.left, box.bottom - box.top);

  // The heading inside its frame Shape3 (drawn on the panel).
  AddText(panel_, kIdHeading, 20, 24, 111, 13, "BGM", kBlack, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  // The kinds top to bottom: audio CD (1), none (0), music file (2).
  const struct {
    int index, y;
    const char* text;
    int width;
  } kinds[] = {{kKindCd, 56, "音楽CD", 43}, {kKindNone, 76, "なし", 22}, {kKindFile, 96, "MP3、WAV", 60}};
  for (const auto& kind : kinds) {
    LabelLook look;
    look.picture = box_pictures_[0];
    look.dpi = dpi_;
    img_bgm_[static_cast<size_t>(kind.index)] = CreateLabel(panel_, kIdKindBox + kind.index, Box(28, kind.y, 13, 13), "", look);
    AddText(panel_, kIdKindCaption + kind.index, 44, kind.y, kind.width, 13, kind.text, kBlack,
            DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  }
  BuildTrackBox();
  AddText(panel_, kIdRepeatWords, 156, 56, 66, 13, "曲目をﾘﾋﾟｰﾄ", kBlack, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
  cmd_file_ = AddButton(panel_, kIdFileButton, DialogButton::File, 28, 116);
  // Two lines of 13 pixels hold a long path, broken anywhere.
  lbl_fname_ = AddText(panel_, kIdFileName, 72, 116, 373, 33, "", kBlack,
                       DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// BGM_Repeat: a drop-down combo box with an editable text whose closed
// field is 20 pixels high; the list opens below it.
void SettingsDialog::BuildTrackBox() {
  const RECT box = Box(112, 52, 41, 20);
  const int list_height = Px(160);
  bgm_repeat_ = CreateWindowExW(0, L"COMBOBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                                box.left, box.top, box.right - box.left, box.bottom - box.top + list_height, panel_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdRepeat)), GetModuleHandleW(nullptr),
                                nullptr);
  if (bgm_repeat_ == nullptr) return;
  // The dialog's font first, then smaller sizes of it until a text such as
  // "7.6" fits.
  const double sizes[] = {DesignFont().size, 9, 8.25, 7.5};
  for (size_t i = 0; i < std::size(sizes); ++i) {
    FontObject face = DesignFont();
    face.size = sizes[i];
    HFONT font = i == 0 ? font_ : CreateCaptionFont(face, dpi_);
    SendMessageW(bgm_repeat_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (track_font_ != nullptr && track_font_ != font_) DeleteObject(track_font_);  // no longer in use
    track_font_ = font;
    RECT field{};
    GetWindowRect(bgm_repeat_, &field);
    const LRESULT item = SendMessageW(bgm_repeat_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    const LRESULT wanted = item + (box.bottom - box.top) - (field.bottom - field.top);
    if (item != CB_ERR && wanted > 0) SendMessageW(bgm_repeat_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), wanted);
    if (WidenTrackField()) break;
  }
}

// The text field beside the arrow is only about 20 pixels wide at the
// design size, where the field's inner padding and margins would leave room
// for two characters. It takes all the room from the box's edge to the
// arrow, with no margins; true when three characters of a track text fit in
// the box's font, measured with the widest digits around a decimal point
// (else the caller tries a smaller font).
bool SettingsDialog::WidenTrackField() {
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  if (!GetComboBoxInfo(bgm_repeat_, &parts) || parts.hwndItem == nullptr) return true;
  HWND edit = parts.hwndItem;
  RECT now{};
  GetWindowRect(edit, &now);
  MapWindowPoints(nullptr, bgm_repeat_, reinterpret_cast<POINT*>(&now), 2);
  const int left = std::max(static_cast<int>(now.left) - 1, GetSystemMetrics(SM_CXEDGE));
  const int right = std::max(static_cast<int>(now.right), static_cast<int>(parts.rcButton.left));
  MoveWindow(edit, left, now.top, right - left, now.bottom - now.top, FALSE);
  SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
  HDC dc = GetDC(edit);
  if (dc == nullptr) return true;
  HGDIOBJ old = SelectObject(dc, track_font_);
  SIZE digits{};
  GetTextExtentPoint32W(dc, L"8.8", 3, &digits);
  SelectObject(dc, old);
  ReleaseDC(edit, dc);
  // One pixel stays free for the caret after the last digit.
  return digits.cx + 1 <= right - left;
}

HWND SettingsDialog::AddText(HWND parent, int id, int x, int y, int width, int height, const char* text,
                             COLORREF colour, UINT format, bool link) {
  LabelLook look;
  look.colour = colour;
  look.format = format;
  look.font = font_;
  look.link = link;
  RECT box = Box(x, y, width, height);
  // The boxes are laid out for the design font; a one-line label in a wider
  // or taller face gets the room its text needs.
  if ((format & DT_SINGLELINE) != 0) {
    HDC dc = GetDC(parent);
    HGDIOBJ old = SelectObject(dc, font_);
    const std::wstring wide = WideFromUtf8(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(parent, dc);
    if ((format & DT_CENTER) == 0) box.right = std::max(box.right, box.left + size.cx + 1);
    box.bottom = std::max(box.bottom, box.top + metrics.tmHeight);
  }
  return CreateLabel(parent, id, box, text, look);
}

std::unique_ptr<CommandWin32> SettingsDialog::AddButton(HWND parent, int id, DialogButton which, int x, int y) {
  auto button = std::make_unique<CommandWin32>(parent, id, Px(x), Px(y), DesignFont());
  button->Load(PropertyBag::FromText(StoredButtonBag(which)));
  return button;
}

void SettingsDialog::ShowModal() {
  if (window_ == nullptr) return;
  // The owner takes no input while its dialog is open. EnableWindow answers
  // whether it was disabled already: then it is left as it was.
  if (owner_ != nullptr) disabled_owner_ = EnableWindow(owner_, FALSE) == FALSE;
  Form_Load();
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  SetForegroundWindow(window_);
  while (!closed_) {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for whoever runs the outer loop
      break;
    }
    if (got < 0) break;
    // Tab moves between the controls; the form has no default or cancel
    // button, so Enter and Escape do nothing.
    if (IsDialogMessageW(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Without an owner: centred across the screen, a third of the free height
// above. With one: centred over it, inside its monitor's work area.
void SettingsDialog::PlaceOnScreen() {
  RECT outer{};
  GetWindowRect(window_, &outer);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  DialogPlacement place = PlaceDialog(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
  RECT owner{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (owner_ != nullptr && GetWindowRect(owner_, &owner) &&
      GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    place = PlaceOverOwner({owner.left, owner.top, owner.right, owner.bottom},
                           {work.left, work.top, work.right, work.bottom}, width, height);
  }
  SetWindowPos(window_, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Enables the owner again before the dialog goes, so that Windows hands the
// activation back to it rather than to another program.
void SettingsDialog::ReleaseOwner() {
  if (disabled_owner_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
  disabled_owner_ = false;
}

void SettingsDialog::Form_Load() {
  // 1.
  PlaceOnScreen();
  // 2. and 3.
  Cmd_Setup();
  PaintPanelImage();
  // 4. to 7. The boxes and the controls the kind enables.
  EnableWindow(bgm_repeat_, FALSE);
  ShowKind();
  // 8. and 9. The track box: its text, then its list.
  SetWindowTextW(bgm_repeat_, WideFromUtf8(model_.TrackText()).c_str());
  for (const std::string& track : TrackListEntries())
    SendMessageW(bgm_repeat_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(track).c_str()));
  // 10.
  SetLabelText(lbl_fname_, model_.File());
  // 11. and 12. The opening animation starts where the pointer is.
  if (!GetCursorPos(&anim_point_)) anim_point_ = POINT{0, 0};
  RECT from{anim_point_.x, anim_point_.y, anim_point_.x, anim_point_.y};
  RECT to{};
  GetWindowRect(window_, &to);
  DrawAnimatedRects(window_, IDANI_CAPTION, &from, &to);
  // 13.
  busy_ = false;
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
}

void SettingsDialog::Form_Resize(int width, int height) {
  // Minimised: nothing to paint, and the last picture stays for the restore.
  if (width <= 0 || height <= 0 || !background_.Create(width, height)) return;
  // Row by row: blue-black at the edges, pale lavender across the middle.
  for (int y = 0; y < height; ++y) {
    const auto v = static_cast<uint32_t>(BackgroundShade(y, height));
    const uint32_t pixel = v << 16 | v << 8 | (v + 30);  // red v, green v, blue v + 30
    uint32_t* row = background_.bits + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int x = 0; x < width; ++x) row[x] = pixel;
  }
  // The labels and buttons show the background behind them: they repaint too.
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SettingsDialog::Form_Unload() {
  RECT from{};
  GetWindowRect(window_, &from);
  RECT to{anim_point_.x, anim_point_.y, anim_point_.x, anim_point_.y};
  DrawAnimatedRects(window_, IDANI_CAPTION, &from, &to);
}

void SettingsDialog::Cmd_Setup() {
  for (CommandWin32* button : {cmd_file_.get(), cmd_set_.get(), cmd_can_.get()})
    if (button != nullptr) button->control().Initialize();
}

void SettingsDialog::Pic_Tile(HDC dc, int width, int height) {
  if (strip_.dc == nullptr) return;
  for (const TilePosition& at : TilePositions(width, height, strip_.width, strip_.height))
    BitBlt(dc, at.x, at.y, strip_.width, strip_.height, strip_.dc, 0, 0, SRCCOPY);
}

// Pic_C as loading leaves it: light grey, covered with the strip, a thin
// sunken edge that sets it into the background, and the frame Shape3
// around the heading.
void SettingsDialog::PaintPanelImage() {
  HDC dc = panel_image_.dc;
  if (dc == nullptr) return;
  const int w = panel_image_.width, h = panel_image_.height;
  RECT all{0, 0, w, h};
  HBRUSH grey = CreateSolidBrush(kPanelGrey);
  FillRect(dc, &all, grey);
  DeleteObject(grey);
  Pic_Tile(dc, w, h);

  auto line = [dc](COLORREF colour, std::initializer_list<POINT> points) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    const POINT* p = points.begin();
    MoveToEx(dc, p->x, p->y, nullptr);
    for (++p; p != points.end(); ++p) LineTo(dc, p->x, p->y);
    SelectObject(dc, old);
    DeleteObject(pen);
  };
  line(RGB(128, 128, 140), {{0, h - 1}, {0, 0}, {w, 0}});
  line(RGB(250, 250, 252), {{w - 1, 1}, {w - 1, h - 1}, {0, h - 1}});
  const RECT frame = Box(20, 20, 113, 21);
  HBRUSH blue = CreateSolidBrush(kFrameBlue);
  FrameRect(dc, &frame, blue);
  DeleteObject(blue);
  InvalidateRect(panel_, nullptr, TRUE);
}

void SettingsDialog::ShowKind() {
  for (HWND box : img_bgm_) SetLabelPicture(box, box_pictures_[0]);
  const int filled = model_.FilledBox();
  if (filled >= 0) SetLabelPicture(img_bgm_[static_cast<size_t>(filled)], box_pictures_[1]);
  const KindControls controls = model_.Controls();
  EnableWindow(bgm_repeat_, controls.repeat ? TRUE : FALSE);
  if (cmd_file_ != nullptr) cmd_file_->control().SetEnabled(controls.file_button);
}

void SettingsDialog::SelectKind(int index) {
  model_.SelectKind(index);
  ShowKind();
}

void SettingsDialog::Cmd_File_Click() {
  // The record as the dialog has always filled it; the size is that of the
  // record without the fields Windows 2000 added, which is 76 bytes in a
  // 32-bit program and 136 in a 64-bit one (a fixed 76 would make the call
  // fail there).
  const std::string filter = AnsiFromUtf8(kMusicFilterName) + '\0' + kMusicFilterPattern + '\0';
  const std::string title = AnsiFromUtf8(kChooserTitle);
  const std::string folder = AnsiFromUtf8(model_.Folder());
  std::array<char, kChooserBufferChars + 1> file{};
  std::array<char, kChooserBufferChars + 1> file_title{};
  OPENFILENAMEA record{};
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  record.hwndOwner = window_;
  record.hInstance = GetModuleHandleW(nullptr);
  record.lpstrFilter = filter.c_str();
  record.lpstrFile = file.data();
  record.nMaxFile = kChooserBufferChars;
  record.lpstrFileTitle = file_title.data();
  record.nMaxFileTitle = kChooserBufferChars;
  record.lpstrInitialDir = folder.c_str();
  record.lpstrTitle = title.c_str();
  record.Flags = 0;
  if (GetOpenFileNameA(&record) > 0) {
    model_.ChooseFile(Utf8FromAnsi(file.data()));
    SetLabelText(lbl_fname_, model_.File());
  }
}

void SettingsDialog::Cmd_Set_Click() {
  if (closing_) return;
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(bgm_repeat_)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(bgm_repeat_, text.data(), static_cast<int>(text.size()))));
  model_.SetTrackText(Utf8FromWide(text));
  const WriteOutcome saved = model_.Save(SettingsFilePath());
  if (!saved.ok) {
    // Closing now would look like a save; the user may retry or cancel. Not
    // captioned "<Oruna>": that caption is what other instances look for.
    MessageBoxW(window_, WideFromUtf8(SaveFailedMessage(saved.reason)).c_str(), kMessageTitle,
                MB_OK | MB_ICONERROR);
    return;
  }
  Close();
}

void SettingsDialog::Cmd_Can_Click() { Close(); }

void SettingsDialog::lbl_URL_Click() {
  busy_ = true;
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
  // Opened by the system's handler for web links; a failure stays silent.
  const std::string address = AnsiFromUtf8(LabelText(lbl_url_));
  ShellExecuteA(window_, "open", address.c_str(), "", "", SW_SHOWNORMAL);
  busy_ = false;
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
}

// Closing in any way but "設定" writes nothing; the program ends after it.
void SettingsDialog::Close() {
  if (closing_) return;
  closing_ = true;
  ReleaseOwner();
  ShowWindow(window_, SW_HIDE);
  Form_Unload();
  closed_ = true;
}

void SettingsDialog::OnCommand(int id, int code) {
  if (code == kLabelMouseDown) {
    // Any mouse button on a box or its caption picks that kind.
    if (id >= kIdKindBox && id < kIdKindBox + kKindCount) SelectKind(id - kIdKindBox);
    if (id >= kIdKindCaption && id < kIdKindCaption + kKindCount) SelectKind(id - kIdKindCaption);
    return;
  }
  if (id == kIdLink && code == kLabelClick) lbl_URL_Click();
  if (code != BN_CLICKED) return;
  if (id == kIdFileButton) Cmd_File_Click();
  if (id == kIdSet) Cmd_Set_Click();
  if (id == kIdCancel) Cmd_Can_Click();
}

LRESULT CALLBACK SettingsDialog::FormProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = WindowOwner<SettingsDialog>(hwnd, message, lparam);
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) self->window_ = hwnd;
  return self->FormMessage(message, wparam, lparam);
}

LRESULT SettingsDialog::FormMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) Form_Resize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window_, &ps);
      if (background_.dc != nullptr) BitBlt(dc, 0, 0, background_.width, background_.height, background_.dc, 0, 0, SRCCOPY);
      EndPaint(window_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (background_.dc != nullptr)
        BitBlt(reinterpret_cast<HDC>(wparam), 0, 0, background_.width, background_.height, background_.dc, 0, 0, SRCCOPY);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_SETCURSOR:
      if (busy_) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      // Back from another window (the file chooser, another program): the
      // control that had the focus gets it again.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        focus_before_ = focus != nullptr && IsChild(window_, focus) ? focus : nullptr;
      } else if (focus_before_ != nullptr && IsWindow(focus_before_) && IsWindowEnabled(focus_before_)) {
        SetFocus(focus_before_);
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

LRESULT CALLBACK SettingsDialog::PanelProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = WindowOwner<SettingsDialog>(hwnd, message, lparam);
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->PanelMessage(hwnd, message, wparam, lparam);
}

LRESULT SettingsDialog::PanelMessage(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(panel, &ps);
      if (panel_image_.dc != nullptr)
        BitBlt(dc, 0, 0, panel_image_.width, panel_image_.height, panel_image_.dc, 0, 0, SRCCOPY);
      EndPaint(panel, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (panel_image_.dc != nullptr)
        BitBlt(reinterpret_cast<HDC>(wparam), 0, 0, panel_image_.width, panel_image_.height, panel_image_.dc, 0, 0,
               SRCCOPY);
      return 0;
    case WM_COMMAND:
      // The panel's controls report to the form.
      return SendMessageW(window_, WM_COMMAND, wparam, lparam);
    default:
      break;
  }
  return DefWindowProcW(panel, message, wparam, lparam);
}

}  // namespace

void ShowSettingsDialog() { ShowSettingsDialogOwnedBy(nullptr); }

void ShowSettingsDialogOwnedBy(HWND owner) {
  SettingsDialog dialog(owner);
  dialog.ShowModal();
}

}  // namespace oruna
