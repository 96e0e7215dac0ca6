// The Command button as a GTK 3 widget: a drawing area with a cairo back
// buffer of its own, the caption drawn over it with Pango, pointer and focus
// events passed to the button's logic, and the hover poll on a 100 ms timer.
#pragma once
#include <cairo.h>
#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "button_surface.h"
#include "command_button.h"
#include "property_bag.h"
#include "ui_picture.h"

namespace oruna {

// A cairo image of a built-in picture; the caller destroys it.
cairo_surface_t* CreateUiPictureSurface(const UiPicture& picture);

// Pango's description of a caption font. Typefaces that are not installed
// (such as the Windows design font) fall back to the Japanese Gothic faces.
PangoFontDescription* CreatePangoFont(const FontObject& font);

class CommandGtk final : public ButtonSurface, public ButtonContainer {
 public:
  // The button takes the form's font as its ambient font.
  explicit CommandGtk(const FontObject& ambient_font);
  ~CommandGtk() override;
  CommandGtk(const CommandGtk&) = delete;
  CommandGtk& operator=(const CommandGtk&) = delete;

  GtkWidget* widget() const { return area_; }
  Command& control() { return control_; }
  void OnClick(std::function<void()> handler) { on_click_ = std::move(handler); }

  // Restores a stored instance: its size from the form's extents, then its
  // properties.
  void Load(const PropertyBag& bag);

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
  static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
  static void OnSizeAllocate(GtkWidget* widget, GdkRectangle* allocation, gpointer self);
  static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self);
  static gboolean OnEnter(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
  static gboolean OnFocusIn(GtkWidget* widget, GdkEventFocus* event, gpointer self);
  static gboolean OnFocusOut(GtkWidget* widget, GdkEventFocus* event, gpointer self);
  static gboolean OnPollTimer(gpointer self);
  void DrawCaption(cairo_t* cr);
  PangoLayout* CaptionLayout(const CaptionLabel& caption);

  GtkWidget* area_ = nullptr;
  cairo_surface_t* buffer_ = nullptr;  // the persistent back buffer
  int buffer_width_ = 0, buffer_height_ = 0;
  bool opaque_ = true;
  CaptionLabel caption_;
  FontObject ambient_font_;
  guint poll_timer_ = 0;
  std::function<void()> on_click_;
  Command control_;  // last: its constructor may already call into this surface
};

}  // namespace oruna
