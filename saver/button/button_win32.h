// The Command button as a Win32 window class of its own, "Oruna.Command": a
// persistent back buffer (memory DC with a 32-bit DIB section) painted with
// GradientFill and stretched copies of the state pictures, the caption as a
// windowless label drawn over it, pointer, focus and timer messages passed
// to the button's logic, and Click sent to the parent as WM_COMMAND.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "button_surface.h"
#include "command_button.h"
#include "property_bag.h"
#include "ui_picture.h"

namespace oruna {

// The window class name, which is also the name containers know the
// control by.
inline constexpr wchar_t kCommandClassName[] = L"Oruna.Command";

// A top-down 32-bit DIB section of a built-in picture, premultiplied by its
// alpha; null for an empty picture. The caller deletes it.
HBITMAP CreateUiPictureBitmap(const UiPicture& picture);

// A GDI font for a caption font at `dpi` dots per inch. The typeface name is
// UTF-8 in memory and goes to GDI as UTF-16, so it reaches the font mapper
// intact whatever the ANSI code page; a face that is not installed falls to
// the mapper's choice for the character set. The caller deletes it.
HFONT CreateCaptionFont(const FontObject& font, int dpi);

// A colour value of a form (0x00BBGGRR); values with the high bit set name a
// system colour by its index in the low byte.
COLORREF ColourOf(int32_t colour);

// Draws what the parent shows behind `child` into `dc`, whose origin is the
// child's client origin: the parent paints itself through WM_PRINTCLIENT
// over its class background (or the dialog face colour). This is how the
// windowless-looking parts (the caption, the transparent corners of the
// frame, transparent labels) show the form behind them.
void PaintParentBackground(HWND child, HDC dc, int width, int height);

class CommandWin32 final : public ButtonSurface, public ButtonContainer {
 public:
  // Creates the control's window as child `id` of `parent` at x, y with the
  // design size (117 x 28 pixels at 96 dots per inch); Load sizes it from
  // its stored bag. The button takes the form's font as its ambient font.
  CommandWin32(HWND parent, int id, int x, int y, const FontObject& ambient_font);
  ~CommandWin32() override;
  CommandWin32(const CommandWin32&) = delete;
  CommandWin32& operator=(const CommandWin32&) = delete;

  HWND hwnd() const { return hwnd_; }
  Command& control() { return control_; }

  // Restores a stored instance: its size from the form's extents, then its
  // properties.
  void Load(const PropertyBag& bag);

  // One pixel of the back buffer as 0xAARRGGBB (premultiplied); 0 outside.
  uint32_t BufferPixel(int x, int y) const;

  // ButtonSurface
  void SizeTwips(int& width, int& height) override;
  void InnerSizePixels(int& width, int& height) override;
  void Clear() override;
  void GradientFillV(const GradientVertex& top_left, const GradientVertex& bottom_right) override;
  void PaintPicture(ButtonPicture picture, const TwipsRect& dest, const TwipsRect& source) override;
  void Present() override;
  void SetOpaque(bool opaque) override;
  void ShowCaption(const CaptionLabel& caption) override;
  double CaptionHeightTwips(const CaptionLabel& caption) override;
  WindowId WindowAtPointer() override;
  WindowId OwnWindow() override;
  WindowId ParentWindow() override;
  void StartPollTimer(int interval_ms) override;

  // ButtonContainer
  void Click() override;
  void PropertyChanged(const std::string& name) override;
  FontObject AmbientFont() override { return ambient_font_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Resize(int width, int height);
  void Paint();
  void DrawCaption(HDC dc);
  HFONT FontFor(const FontObject& font);
  double TwipsPerPixel() const { return 1440.0 / dpi_; }
  void Pointer(UINT message, WPARAM wparam, LPARAM lparam);

  // A memory DC holding a top-down 32-bit DIB section.
  struct Buffer {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;
    void Create(int w, int h);
    void Destroy();
  };

  HWND hwnd_ = nullptr;
  int id_ = 0;
  int dpi_ = 96;
  Buffer buffer_;   // the persistent back buffer
  Buffer compose_;  // the parent's background, the buffer and the caption, for WM_PAINT
  bool opaque_ = true;
  CaptionLabel caption_;
  HFONT font_ = nullptr;
  FontObject font_made_for_;
  FontObject ambient_font_;
  bool timer_running_ = false;
  Command control_;  // last: its constructor may already call into this surface
};

}  // namespace oruna
