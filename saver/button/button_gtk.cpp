// GTK 3 / cairo platform of the Command button (X11 backend): the back
// buffer, the gradient and the stretched picture copies in cairo, the
// caption with Pango, and the hover poll's pointer-window query.
#include "button_gtk.h"

#include <cmath>

namespace oruna {
namespace {

constexpr int kTwipsPerPixel = 15;

// Twips to pixel edges: 1-twip offsets fall within the first pixel.
int PixelEdge(int twips) {
  return twips >= 0 ? twips / kTwipsPerPixel : -((-twips + kTwipsPerPixel - 1) / kTwipsPerPixel);
}

struct PixelRect {
  int x, y, width, height;
};

PixelRect ToPixels(const TwipsRect& r) {
  const int x0 = PixelEdge(r.x), y0 = PixelEdge(r.y);
  return {x0, y0, PixelEdge(r.x + r.width) - x0, PixelEdge(r.y + r.height) - y0};
}

// 0x00BBGGRR; the negative system colours are shown as black.
void SetColour(cairo_t* cr, int32_t colour) {
  if (colour < 0) colour = 0;
  cairo_set_source_rgb(cr, (colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0, ((colour >> 16) & 0xFF) / 255.0);
}

int MouseButtonOf(guint gdk_button) {
  switch (gdk_button) {
    case 1: return kLeftButton;
    case 2: return kMiddleButton;
    case 3: return kRightButton;
    default: return 0;
  }
}

int ButtonsHeld(guint state) {
  return (state & GDK_BUTTON1_MASK ? kLeftButton : 0) | (state & GDK_BUTTON3_MASK ? kRightButton : 0) |
         (state & GDK_BUTTON2_MASK ? kMiddleButton : 0);
}

int ShiftState(guint state) {
  return (state & GDK_SHIFT_MASK ? 1 : 0) | (state & GDK_CONTROL_MASK ? 2 : 0) | (state & GDK_MOD1_MASK ? 4 : 0);
}

cairo_surface_t* StatePictureSurface(ButtonPicture picture) {
  static cairo_surface_t* surfaces[kButtonPictureCount] = {};
  cairo_surface_t*& surface = surfaces[static_cast<int>(picture)];
  if (surface == nullptr) surface = CreateUiPictureSurface(ButtonStatePicture(picture));
  return surface;
}

}  // namespace

cairo_surface_t* CreateUiPictureSurface(const UiPicture& picture) {
  if (!picture.ok()) return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width, picture.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * static_cast<size_t>(stride));
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * static_cast<size_t>(picture.width) + x) * 4];
      const uint32_t a = p[3];
      auto pre = [a](uint8_t c) { return static_cast<uint32_t>((c * a + 127) / 255); };
      row[x] = a << 24 | pre(p[0]) << 16 | pre(p[1]) << 8 | pre(p[2]);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

PangoFontDescription* CreatePangoFont(const FontObject& font) {
  PangoFontDescription* description = pango_font_description_new();
  const std::string families = font.name + ",VL PGothic,VL Gothic,sans-serif";
  pango_font_description_set_family(description, families.c_str());
  pango_font_description_set_size(description, static_cast<gint>(std::lround(font.size * PANGO_SCALE)));
  pango_font_description_set_weight(description, static_cast<PangoWeight>(std::clamp(font.weight, 100, 1000)));
  pango_font_description_set_style(description, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return description;
}

CommandGtk::CommandGtk(const FontObject& ambient_font)
    : area_(gtk_drawing_area_new()), ambient_font_(ambient_font), control_(*this, *this) {
  g_object_ref_sink(area_);
  caption_ = control_.LblMsg();
  gtk_widget_set_can_focus(area_, TRUE);
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                   GDK_ENTER_NOTIFY_MASK | GDK_FOCUS_CHANGE_MASK);
  g_signal_connect(area_, "draw", G_CALLBACK(OnDraw), this);
  g_signal_connect(area_, "size-allocate", G_CALLBACK(OnSizeAllocate), this);
  g_signal_connect(area_, "button-press-event", G_CALLBACK(OnButtonPress), this);
  g_signal_connect(area_, "button-release-event", G_CALLBACK(OnButtonRelease), this);
  g_signal_connect(area_, "motion-notify-event", G_CALLBACK(OnMotion), this);
  g_signal_connect(area_, "enter-notify-event", G_CALLBACK(OnEnter), this);
  g_signal_connect(area_, "focus-in-event", G_CALLBACK(OnFocusIn), this);
  g_signal_connect(area_, "focus-out-event", G_CALLBACK(OnFocusOut), this);
}

CommandGtk::~CommandGtk() {
  if (poll_timer_ != 0) g_source_remove(poll_timer_);
  g_signal_handlers_disconnect_by_data(area_, this);
  g_object_unref(area_);
  if (buffer_ != nullptr) cairo_surface_destroy(buffer_);
}

void CommandGtk::Load(const PropertyBag& bag) {
  int width = 0, height = 0;
  if (StoredExtentPixels(bag, width, height)) gtk_widget_set_size_request(area_, width, height);
  control_.UserControl_ReadProperties(bag);
  gtk_widget_set_sensitive(area_, control_.EnabledValue());
}

void CommandGtk::SizeTwips(int& width, int& height) {
  width = buffer_width_ * kTwipsPerPixel;
  height = buffer_height_ * kTwipsPerPixel;
}

void CommandGtk::InnerSizePixels(int& width, int& height) {
  width = buffer_width_;
  height = buffer_height_;
}

void CommandGtk::Clear() {
  if (buffer_ == nullptr) return;
  cairo_t* cr = cairo_create(buffer_);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_paint(cr);
  cairo_destroy(cr);
}

void CommandGtk::GradientFillV(const GradientVertex& top, const GradientVertex& bottom) {
  if (buffer_ == nullptr || bottom.x < top.x || bottom.y < top.y) return;
  cairo_t* cr = cairo_create(buffer_);
  // The top vertex's colour in the top row, the bottom one's in the bottom row.
  cairo_pattern_t* pattern = cairo_pattern_create_linear(0, top.y + 0.5, 0, bottom.y + 0.5);
  auto stop = [&](double offset, const GradientVertex& v) {
    cairo_pattern_add_color_stop_rgb(pattern, offset, v.red / 65280.0, v.green / 65280.0, v.blue / 65280.0);
  };
  stop(0, top);
  stop(1, bottom);
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_set_source(cr, pattern);
  cairo_rectangle(cr, top.x, top.y, bottom.x - top.x + 1, bottom.y - top.y + 1);
  cairo_fill(cr);
  cairo_pattern_destroy(pattern);
  cairo_destroy(cr);
}

void CommandGtk::PaintPicture(ButtonPicture picture, const TwipsRect& dest, const TwipsRect& source) {
  const PixelRect d = ToPixels(dest), s = ToPixels(source);
  if (buffer_ == nullptr || d.width <= 0 || d.height <= 0 || s.width <= 0 || s.height <= 0) return;
  cairo_t* cr = cairo_create(buffer_);
  cairo_rectangle(cr, d.x, d.y, d.width, d.height);
  cairo_clip(cr);
  cairo_translate(cr, d.x, d.y);
  cairo_scale(cr, static_cast<double>(d.width) / s.width, static_cast<double>(d.height) / s.height);
  // A copy: the picture's pixels replace the surface's, also where the
  // picture is transparent (outside its rounded corners).
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, StatePictureSurface(picture), -s.x, -s.y);
  // Whole source pixels, so that the pieces keep their crisp 1-pixel border.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_destroy(cr);
}

void CommandGtk::Present() { gtk_widget_queue_draw(area_); }

void CommandGtk::SetOpaque(bool opaque) {
  opaque_ = opaque;
  gtk_widget_queue_draw(area_);
}

void CommandGtk::ShowCaption(const CaptionLabel& caption) {
  caption_ = caption;
  gtk_widget_queue_draw(area_);
}

PangoLayout* CommandGtk::CaptionLayout(const CaptionLabel& caption) {
  // The widget's own Pango context carries the screen's resolution and font
  // options, for measuring and drawing alike.
  PangoLayout* layout = gtk_widget_create_pango_layout(area_, nullptr);
  PangoFontDescription* font = CreatePangoFont(caption.font);
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  PangoAttrList* attributes = pango_attr_list_new();
  if (caption.font.underline) pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (caption.font.strikethrough) pango_attr_list_insert(attributes, pango_attr_strikethrough_new(TRUE));
  pango_layout_set_attributes(layout, attributes);
  pango_attr_list_unref(attributes);
  pango_layout_set_single_paragraph_mode(layout, TRUE);
  pango_layout_set_text(layout, caption.text.c_str(), -1);
  return layout;
}

double CommandGtk::CaptionHeightTwips(const CaptionLabel& caption) {
  PangoLayout* layout = CaptionLayout(caption);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  g_object_unref(layout);
  return height * kTwipsPerPixel;
}

void CommandGtk::DrawCaption(cairo_t* cr) {
  if (caption_.text.empty()) return;
  PangoLayout* layout = CaptionLayout(caption_);
  // Centred in the label's width, which is the button's.
  int text_width = 0, text_height = 0;
  pango_layout_get_pixel_size(layout, &text_width, &text_height);
  const double x = caption_.left / kTwipsPerPixel + (caption_.width / kTwipsPerPixel - text_width) / 2.0;
  const double y = caption_.top / kTwipsPerPixel;
  if (caption_.enabled) {
    SetColour(cr, caption_.colour);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
  } else {
    // Greyed: a white highlight below right, the grey text above it.
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_move_to(cr, x + 1, y + 1);
    pango_cairo_show_layout(cr, layout);
    cairo_set_source_rgb(cr, 0.63, 0.62, 0.57);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, layout);
  }
  g_object_unref(layout);
}

gboolean CommandGtk::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* self = static_cast<CommandGtk*>(data);
  // The platform's repaint shows the buffer; it never calls the logic.
  if (self->opaque_ && self->buffer_ != nullptr) {
    cairo_set_source_surface(cr, self->buffer_, 0, 0);
    cairo_paint(cr);
  }
  self->DrawCaption(cr);
  return TRUE;
}

void CommandGtk::OnSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  auto* self = static_cast<CommandGtk*>(data);
  if (allocation->width == self->buffer_width_ && allocation->height == self->buffer_height_) return;
  if (self->buffer_ != nullptr) cairo_surface_destroy(self->buffer_);
  self->buffer_width_ = std::max(allocation->width, 1);
  self->buffer_height_ = std::max(allocation->height, 1);
  self->buffer_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, self->buffer_width_, self->buffer_height_);
  self->control_.UserControl_Resize();
}

gboolean CommandGtk::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<CommandGtk*>(data);
  if (event->type != GDK_BUTTON_PRESS) return TRUE;  // the extra events of double clicks
  const int button = MouseButtonOf(event->button);
  self->control_.UserControl_MouseDown(button, ShiftState(event->state), event->x * kTwipsPerPixel,
                                       event->y * kTwipsPerPixel);
  // A left press takes the keyboard focus, as push buttons do; a disabled
  // button takes none.
  if (button == kLeftButton && self->control_.EnabledValue()) gtk_widget_grab_focus(self->area_);
  return TRUE;
}

gboolean CommandGtk::OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
  auto* self = static_cast<CommandGtk*>(data);
  self->control_.UserControl_MouseUp(MouseButtonOf(event->button), ShiftState(event->state),
                                     event->x * kTwipsPerPixel, event->y * kTwipsPerPixel);
  return TRUE;
}

gboolean CommandGtk::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
  auto* self = static_cast<CommandGtk*>(data);
  self->control_.UserControl_MouseMove(ButtonsHeld(event->state), ShiftState(event->state),
                                       event->x * kTwipsPerPixel, event->y * kTwipsPerPixel);
  return TRUE;
}

// X reports a pointer that arrives at the button by a jump (a warp, or a
// window that opened under it) only as a crossing: that is a move as well.
gboolean CommandGtk::OnEnter(GtkWidget*, GdkEventCrossing* event, gpointer data) {
  auto* self = static_cast<CommandGtk*>(data);
  self->control_.UserControl_MouseMove(ButtonsHeld(event->state), ShiftState(event->state),
                                       event->x * kTwipsPerPixel, event->y * kTwipsPerPixel);
  return FALSE;
}

gboolean CommandGtk::OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer data) {
  static_cast<CommandGtk*>(data)->control_.UserControl_GotFocus();
  return FALSE;
}

gboolean CommandGtk::OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer data) {
  static_cast<CommandGtk*>(data)->control_.UserControl_LostFocus();
  return FALSE;
}

ButtonSurface::WindowId CommandGtk::WindowAtPointer() {
  GdkDisplay* display = gtk_widget_get_display(area_);
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
  // Windows of other programs (one moved over the button) give no window.
  return reinterpret_cast<WindowId>(gdk_device_get_window_at_position(pointer, nullptr, nullptr));
}

ButtonSurface::WindowId CommandGtk::OwnWindow() { return reinterpret_cast<WindowId>(gtk_widget_get_window(area_)); }

ButtonSurface::WindowId CommandGtk::ParentWindow() {
  return reinterpret_cast<WindowId>(gtk_widget_get_window(gtk_widget_get_toplevel(area_)));
}

gboolean CommandGtk::OnPollTimer(gpointer data) {
  auto* self = static_cast<CommandGtk*>(data);
  if (gtk_widget_get_realized(self->area_)) self->control_.TmrMouse_Timer();
  return G_SOURCE_CONTINUE;
}

void CommandGtk::StartPollTimer(int interval_ms) {
  if (poll_timer_ != 0) g_source_remove(poll_timer_);
  poll_timer_ = g_timeout_add(static_cast<guint>(interval_ms), OnPollTimer, this);
}

void CommandGtk::Click() {
  if (on_click_) on_click_();
}

// A disabled button is an insensitive widget too: it takes no focus (Tab
// passes it by), and one that had the focus loses it, which its logic
// follows.
void CommandGtk::PropertyChanged(const std::string& name) {
  if (name == "Enabled") gtk_widget_set_sensitive(area_, control_.EnabledValue());
}

}  // namespace oruna
