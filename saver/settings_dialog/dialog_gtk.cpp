// The settings dialog Oruna_P, captioned "<Oruna>", on GTK 3 (X11 backend):
// a fixed 496 x 246 layout over the sine-shaded background, the brushed-metal
// panel with the music controls, the three Command buttons loaded from their
// stored bags, the GTK file chooser, and the link opened with the desktop's
// handler. Shown modally by Oruna.scr /c; returns when it has closed.
#include <gtk/gtk.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "button_gtk.h"
#include "caption_animation.h"
#include "dialog_model.h"
#include "dialog_pictures.h"
#include "settings_dialog_entry.h"
#include "settings_file.h"

namespace oruna {
namespace {

constexpr const char* kTitle = "<Oruna>";
constexpr const char* kMessageTitle = "Oruna";
constexpr int kClientWidth = 496, kClientHeight = 246;
// The track box's list drops down below it, this tall, and scrolls.
constexpr int kTrackListHeight = 160;

// Compact, flat looks for the one stock control on the panel (the track
// box), in the dialog's font; everything else is drawn by the dialog.
constexpr const char* kStyleSheet = R"css(
#oruna-dialog combobox { -GtkComboBox-appears-as-list: true; }
#oruna-dialog combobox entry {
  font-family: "ＭＳ Ｐゴシック", "VL PGothic", sans-serif; font-size: 9.75pt;
  min-height: 0; min-width: 0; padding: 0 2px; margin: 0;
  border: 1px solid #7f9db9; border-right-width: 0; border-radius: 0;
  background: white; color: black; box-shadow: none;
}
#oruna-dialog combobox entry:disabled { background: #ecebe6; color: #a19f94; border-color: #c9c7ba; }
#oruna-dialog combobox button {
  min-height: 0; min-width: 0; padding: 0 1px; margin: 0;
  border: 1px solid #7f9db9; border-radius: 0; box-shadow: none;
  background: linear-gradient(to bottom, #ffffff, #c6c5d7);
}
#oruna-dialog combobox button:disabled { background: #f5f4ea; border-color: #c9c7ba; }
#oruna-dialog combobox arrow { min-width: 9px; min-height: 9px; -gtk-icon-source: -gtk-icontheme("pan-down-symbolic"); }
)css";

struct Colour {
  double r, g, b;
};
constexpr Colour kBlack{0, 0, 0}, kWhite{1, 1, 1};

GdkPixbuf* PixbufFrom(const UiPicture& picture) {
  if (!picture.ok()) return gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, 1, 1);
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, picture.width, picture.height);
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < picture.height; ++y)
    std::copy_n(&picture.rgba[static_cast<size_t>(y) * static_cast<size_t>(picture.width) * 4],
                picture.width * 4, pixels + static_cast<ptrdiff_t>(y) * stride);
  return pixbuf;
}

// A windowless-looking label: text in the dialog's font, drawn from the top
// left of its box (or centred), in one colour, clipped to the box.
struct TextBox {
  GtkWidget* area = nullptr;
  std::string text;
  Colour colour = kBlack;
  bool centred = false;
  bool wrap = false;  // break long text over the lines the box holds
};

gboolean DrawTextBox(GtkWidget* widget, cairo_t* cr, gpointer data) {
  const auto* box = static_cast<const TextBox*>(data);
  PangoLayout* layout = gtk_widget_create_pango_layout(widget, box->text.c_str());
  PangoFontDescription* font = CreatePangoFont(DesignFont());
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  const int width = gtk_widget_get_allocated_width(widget), height = gtk_widget_get_allocated_height(widget);
  if (box->centred || box->wrap) pango_layout_set_width(layout, width * PANGO_SCALE);
  if (box->centred) pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
  if (box->wrap) {
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_height(layout, height * PANGO_SCALE);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_MIDDLE);
  }
  cairo_set_source_rgb(cr, box->colour.r, box->colour.g, box->colour.b);
  pango_cairo_show_layout(cr, layout);
  g_object_unref(layout);
  return TRUE;
}

class SettingsDialog {
 public:
  SettingsDialog();
  ~SettingsDialog();
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Loads and shows the dialog, and returns once it has closed.
  void ShowModal();

 private:
  void Build();
  void BuildPanel();
  TextBox* AddText(GtkWidget* parent, int x, int y, int width, int height, const char* text, Colour colour);
  GtkWidget* AddBoxImage(int index, int x, int y);
  std::unique_ptr<CommandGtk> AddButton(GtkWidget* parent, DialogButton which, int x, int y);

  void Form_Load();
  void Form_Resize(int width, int height);
  void Form_Unload();
  void Cmd_Setup();
  void Pic_Tile(cairo_t* cr, int width, int height);
  void ShowKind();
  void SelectKind(int index);
  void Cmd_File_Click();
  void Cmd_Set_Click();
  void ShowSaveFailed(const std::string& reason);
  void Cmd_Can_Click();
  void lbl_URL_Click();
  void Close();
  ScreenRect WindowRect() const;

  static gboolean OnFormDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
  static void OnFormSizeAllocate(GtkWidget* widget, GdkRectangle* allocation, gpointer self);
  static gboolean OnPanelDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
  static gboolean OnBoxDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
  static gboolean OnKindPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean OnLinkRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static void OnLinkRealize(GtkWidget* widget, gpointer self);
  static gboolean OnDeleteEvent(GtkWidget* widget, GdkEvent* event, gpointer self);
  static gboolean OnWindowConfigure(GtkWidget* widget, GdkEvent* event, gpointer self);
  static void OnTrackBoxMapped(GtkWidget* combo, gpointer self);
  static void KeepTrackListHeight(GObject* popup, GParamSpec* property, gpointer unused);
  static void KeepTrackListScrolling(GObject* scroller, GParamSpec* property, gpointer unused);
  void PlaceWindow();

  SettingsDialogModel model_;
  GtkWidget* window_ = nullptr;
  GtkWidget* form_ = nullptr;   // the client area
  GtkWidget* panel_ = nullptr;  // Pic_C
  std::array<GtkWidget*, kKindCount> img_bgm_{};
  std::array<bool, kKindCount> box_filled_{};
  GtkWidget* bgm_repeat_ = nullptr;
  TextBox* lbl_fname_ = nullptr;
  TextBox* lbl_url_ = nullptr;
  std::vector<std::unique_ptr<TextBox>> texts_;
  std::unique_ptr<CommandGtk> cmd_file_, cmd_set_, cmd_can_;
  cairo_surface_t* background_ = nullptr;  // painted by Form_Resize
  cairo_surface_t* strip_ = nullptr;       // Pic_Mbl
  std::array<cairo_surface_t*, 2> box_pictures_{};  // Img_Ra 0 (empty) and 1 (filled)
  GtkCssProvider* css_ = nullptr;
  int anim_x_ = 0, anim_y_ = 0;  // Anim_Point
  bool closing_ = false;
  bool placed_by_frame_ = false;  // placed again once the frame's size was known
};

SettingsDialog::SettingsDialog() {
  strip_ = CreateUiPictureSurface(DialogPictureOf(DialogPicture::MetalStrip));
  box_pictures_[0] = CreateUiPictureSurface(DialogPictureOf(DialogPicture::BoxEmpty));
  box_pictures_[1] = CreateUiPictureSurface(DialogPictureOf(DialogPicture::BoxFilled));
  Build();
}

SettingsDialog::~SettingsDialog() {
  if (window_ != nullptr) gtk_widget_destroy(window_);
  cmd_file_.reset();
  cmd_set_.reset();
  cmd_can_.reset();
  if (css_ != nullptr) {
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css_));
    g_object_unref(css_);
  }
  for (cairo_surface_t* surface : {background_, strip_, box_pictures_[0], box_pictures_[1]})
    if (surface != nullptr) cairo_surface_destroy(surface);
}

void SettingsDialog::Build() {
  css_ = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css_, kStyleSheet, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css_),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);

  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_set_name(window_, "oruna-dialog");
  gtk_window_set_title(GTK_WINDOW(window_), kTitle);
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_modal(GTK_WINDOW(window_), TRUE);
  gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  GdkPixbuf* icon = PixbufFrom(DialogPictureOf(DialogPicture::Icon));
  gtk_window_set_icon(GTK_WINDOW(window_), icon);
  g_object_unref(icon);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDeleteEvent), this);
  g_signal_connect(window_, "configure-event", G_CALLBACK(OnWindowConfigure), this);

  form_ = gtk_fixed_new();
  gtk_widget_set_size_request(form_, kClientWidth, kClientHeight);
  gtk_container_add(GTK_CONTAINER(window_), form_);
  g_signal_connect(form_, "draw", G_CALLBACK(OnFormDraw), this);
  g_signal_connect(form_, "size-allocate", G_CALLBACK(OnFormSizeAllocate), this);

  BuildPanel();

  AddText(form_, 12, 192, 165, 13, kCreditText, kWhite);
  lbl_url_ = AddText(form_, 12, 208, 219, 13, kLinkText, kWhite);
  gtk_widget_add_events(lbl_url_->area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  g_signal_connect(lbl_url_->area, "realize", G_CALLBACK(OnLinkRealize), this);
  g_signal_connect(lbl_url_->area, "button-release-event", G_CALLBACK(OnLinkRelease), this);

  cmd_set_ = AddButton(form_, DialogButton::Set, 324, 200);
  cmd_set_->OnClick([this] { Cmd_Set_Click(); });
  cmd_can_ = AddButton(form_, DialogButton::Cancel, 404, 200);
  cmd_can_->OnClick([this] { Cmd_Can_Click(); });
}

void SettingsDialog::BuildPanel() {
  panel_ = gtk_fixed_new();
  gtk_widget_set_size_request(panel_, 469, 165);
  gtk_fixed_put(GTK_FIXED(form_), panel_, 12, 16);
  g_signal_connect(panel_, "draw", G_CALLBACK(OnPanelDraw), this);

  AddText(panel_, 20, 24, 111, 13, "BGM", kBlack)->centred = true;  // inside the frame Shape3
  // The kinds top to bottom: audio CD (1), none (0), music file (2).
  const struct {
    int index, y;
    const char* text;
    int width;
  } kinds[] = {{kKindCd, 56, "音楽CD", 43}, {kKindNone, 76, "なし", 22}, {kKindFile, 96, "MP3、WAV", 60}};
  for (const auto& kind : kinds) {
    img_bgm_[static_cast<size_t>(kind.index)] = AddBoxImage(kind.index, 28, kind.y);
    GtkWidget* label = AddText(panel_, 44, kind.y, kind.width, 13, kind.text, kBlack)->area;
    gtk_widget_add_events(label, GDK_BUTTON_PRESS_MASK);
    g_object_set_data(G_OBJECT(label), "kind", GINT_TO_POINTER(kind.index));
    g_signal_connect(label, "button-press-event", G_CALLBACK(OnKindPress), this);
  }

  bgm_repeat_ = gtk_combo_box_text_new_with_entry();
  gtk_widget_set_size_request(bgm_repeat_, 41, 20);
  GtkWidget* entry = gtk_bin_get_child(GTK_BIN(bgm_repeat_));
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 2);
  gtk_entry_set_max_width_chars(GTK_ENTRY(entry), 2);
  g_signal_connect(bgm_repeat_, "map", G_CALLBACK(OnTrackBoxMapped), this);
  gtk_fixed_put(GTK_FIXED(panel_), bgm_repeat_, 112, 52);
  AddText(panel_, 156, 56, 66, 13, "曲目をﾘﾋﾟｰﾄ", kBlack);

  cmd_file_ = AddButton(panel_, DialogButton::File, 28, 116);
  cmd_file_->OnClick([this] { Cmd_File_Click(); });
  lbl_fname_ = AddText(panel_, 72, 116, 373, 33, "", kBlack);
  lbl_fname_->wrap = true;
}

TextBox* SettingsDialog::AddText(GtkWidget* parent, int x, int y, int width, int height, const char* text,
                                 Colour colour) {
  auto box = std::make_unique<TextBox>();
  box->area = gtk_drawing_area_new();
  box->text = text;
  box->colour = colour;
  // The boxes are laid out for the design font; a wider face gets the room
  // its text needs, and every box room for the descent below its last line.
  PangoLayout* layout = gtk_widget_create_pango_layout(box->area, text);
  PangoFontDescription* font = CreatePangoFont(DesignFont());
  pango_layout_set_font_description(layout, font);
  pango_font_description_free(font);
  int text_width = 0, text_height = 0;
  pango_layout_get_pixel_size(layout, &text_width, &text_height);
  g_object_unref(layout);
  gtk_widget_set_size_request(box->area, std::max(width, text_width + 1), std::max(height + 4, text_height));
  g_signal_connect(box->area, "draw", G_CALLBACK(DrawTextBox), box.get());
  gtk_fixed_put(GTK_FIXED(parent), box->area, x, y);
  texts_.push_back(std::move(box));
  return texts_.back().get();
}

GtkWidget* SettingsDialog::AddBoxImage(int index, int x, int y) {
  GtkWidget* image = gtk_drawing_area_new();
  gtk_widget_set_size_request(image, 13, 13);
  gtk_widget_add_events(image, GDK_BUTTON_PRESS_MASK);
  g_object_set_data(G_OBJECT(image), "kind", GINT_TO_POINTER(index));
  g_signal_connect(image, "draw", G_CALLBACK(OnBoxDraw), this);
  g_signal_connect(image, "button-press-event", G_CALLBACK(OnKindPress), this);
  gtk_fixed_put(GTK_FIXED(panel_), image, x, y);
  return image;
}

std::unique_ptr<CommandGtk> SettingsDialog::AddButton(GtkWidget* parent, DialogButton which, int x, int y) {
  auto button = std::make_unique<CommandGtk>(DesignFont());
  button->Load(PropertyBag::FromText(StoredButtonBag(which)));
  gtk_fixed_put(GTK_FIXED(parent), button->widget(), x, y);
  return button;
}

void SettingsDialog::ShowModal() {
  Form_Load();
  gtk_widget_show_all(window_);
  gtk_window_present(GTK_WINDOW(window_));
  gtk_main();
}

// The outer window, frame included, is what sits centred across with a third
// of the free height above it. Until the window manager has framed the
// window its size is the client size; once the frame is known the window is
// placed again (with the north-west gravity the point is the frame's corner).
void SettingsDialog::PlaceWindow() {
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
  if (monitor == nullptr) return;
  GdkRectangle screen{};
  gdk_monitor_get_geometry(monitor, &screen);
  int width = kClientWidth, height = kClientHeight;
  GdkWindow* window = gtk_widget_get_window(window_);
  if (window != nullptr && gtk_widget_get_mapped(window_)) {
    GdkRectangle frame{};
    gdk_window_get_frame_extents(window, &frame);
    width = std::max(width, frame.width);
    height = std::max(height, frame.height);
  }
  const DialogPlacement place = PlaceDialog(screen.width, screen.height, width, height);
  gtk_window_move(GTK_WINDOW(window_), screen.x + place.left, screen.y + place.top);
}

ScreenRect SettingsDialog::WindowRect() const {
  int x = 0, y = 0, width = kClientWidth, height = kClientHeight;
  gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
  gtk_window_get_size(GTK_WINDOW(window_), &width, &height);
  return {x, y, width, height};
}

void SettingsDialog::Form_Load() {
  // 1. Centred across, a third of the free height above.
  PlaceWindow();
  GdkDisplay* display = gdk_display_get_default();
  // 2. and 3.
  Cmd_Setup();
  gtk_widget_queue_draw(panel_);  // Pic_Tile runs with every paint of the panel
  // 4. to 7. The boxes and the controls the kind enables.
  ShowKind();
  // 8. and 9. The track box: its text, then its list.
  GtkWidget* entry = gtk_bin_get_child(GTK_BIN(bgm_repeat_));
  gtk_entry_set_text(GTK_ENTRY(entry), model_.TrackText().c_str());
  for (const std::string& track : TrackListEntries())
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(bgm_repeat_), track.c_str());
  // 10.
  lbl_fname_->text = model_.File();
  // 11. and 12. The opening animation starts where the pointer is.
  anim_x_ = anim_y_ = 0;
  if (display != nullptr) {
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    if (pointer != nullptr) gdk_device_get_position(pointer, nullptr, &anim_x_, &anim_y_);
  }
  AnimateCaption({anim_x_, anim_y_, 0, 0}, WindowRect());
}

void SettingsDialog::Form_Resize(int width, int height) {
  if (background_ != nullptr) cairo_surface_destroy(background_);
  background_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(width, 1), std::max(height, 1));
  cairo_t* cr = cairo_create(background_);
  // Blue-black at the edges, pale lavender across the middle.
  for (int y = 0; y <= height; ++y) {
    const double v = BackgroundShade(y, height) / 255.0;
    cairo_set_source_rgb(cr, v, v, v + 30 / 255.0);
    cairo_rectangle(cr, 0, y, width, 1);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  gtk_widget_queue_draw(form_);
}

void SettingsDialog::Form_Unload() { AnimateCaption(WindowRect(), {anim_x_, anim_y_, 0, 0}); }

void SettingsDialog::Cmd_Setup() {
  for (CommandGtk* button : {cmd_file_.get(), cmd_set_.get(), cmd_can_.get()})
    if (button != nullptr) button->control().Initialize();
}

void SettingsDialog::Pic_Tile(cairo_t* cr, int width, int height) {
  const int strip_width = cairo_image_surface_get_width(strip_);
  const int strip_height = cairo_image_surface_get_height(strip_);
  for (const TilePosition& at : TilePositions(width, height, strip_width, strip_height)) {
    cairo_set_source_surface(cr, strip_, at.x, at.y);
    cairo_rectangle(cr, at.x, at.y, strip_width, strip_height);
    cairo_fill(cr);
  }
}

void SettingsDialog::ShowKind() {
  box_filled_.fill(false);
  const int filled = model_.FilledBox();
  if (filled >= 0) box_filled_[static_cast<size_t>(filled)] = true;
  for (GtkWidget* image : img_bgm_) gtk_widget_queue_draw(image);
  const KindControls controls = model_.Controls();
  gtk_widget_set_sensitive(bgm_repeat_, controls.repeat);
  cmd_file_->control().SetEnabled(controls.file_button);
}

void SettingsDialog::SelectKind(int index) {
  model_.SelectKind(index);
  ShowKind();
}

void SettingsDialog::Cmd_File_Click() {
  GtkWidget* chooser =
      gtk_file_chooser_dialog_new("ﾌｧｲﾙを開く", GTK_WINDOW(window_), GTK_FILE_CHOOSER_ACTION_OPEN, "ｷｬﾝｾﾙ(_C)",
                                  GTK_RESPONSE_CANCEL, "開く(_O)", GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, kMusicFilterName);
  // "*.MP3;*.WAV" whatever the case of the name.
  gtk_file_filter_add_custom(
      filter, GTK_FILE_FILTER_DISPLAY_NAME,
      [](const GtkFileFilterInfo* info, gpointer) -> gboolean {
        return info->display_name != nullptr && MatchesFilePatterns(kMusicFilterPattern, info->display_name);
      },
      nullptr, nullptr);
  gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
  if (!model_.Folder().empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), model_.Folder().c_str());

  if (gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
    if (gchar* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
      model_.ChooseFile(file);
      lbl_fname_->text = model_.File();
      gtk_widget_queue_draw(lbl_fname_->area);
      g_free(file);
    }
  }
  gtk_widget_destroy(chooser);
}

void SettingsDialog::Cmd_Set_Click() {
  if (closing_) return;
  GtkWidget* entry = gtk_bin_get_child(GTK_BIN(bgm_repeat_));
  model_.SetTrackText(gtk_entry_get_text(GTK_ENTRY(entry)));
  const WriteOutcome saved = model_.Save(SettingsFilePath());
  if (!saved.ok) {
    // Closing now would look like a save; the user may retry or cancel.
    ShowSaveFailed(saved.reason);
    return;
  }
  Close();
}

void SettingsDialog::ShowSaveFailed(const std::string& reason) {
  const auto flags = static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT);
  GtkWidget* message = gtk_message_dialog_new(GTK_WINDOW(window_), flags, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s",
                                              SaveFailedMessage(reason).c_str());
  // Not "<Oruna>": that caption is what other instances look for.
  gtk_window_set_title(GTK_WINDOW(message), kMessageTitle);
  gtk_dialog_run(GTK_DIALOG(message));
  gtk_widget_destroy(message);
}

void SettingsDialog::Cmd_Can_Click() { Close(); }

void SettingsDialog::lbl_URL_Click() {
  GdkWindow* window = gtk_widget_get_window(window_);
  GdkWindow* link = gtk_widget_get_window(lbl_url_->area);
  GdkCursor* wait = gdk_cursor_new_from_name(gdk_window_get_display(window), "wait");
  gdk_window_set_cursor(window, wait);
  gdk_window_set_cursor(link, wait);
  gdk_display_flush(gdk_window_get_display(window));
  // Opened by the desktop's handler for web links; a failure stays silent.
  gtk_show_uri_on_window(GTK_WINDOW(window_), lbl_url_->text.c_str(), GDK_CURRENT_TIME, nullptr);
  gdk_window_set_cursor(window, nullptr);
  OnLinkRealize(lbl_url_->area, this);
  if (wait != nullptr) g_object_unref(wait);
}

// Closing in any way but "設定" writes nothing; the program ends after it.
void SettingsDialog::Close() {
  if (closing_) return;
  closing_ = true;
  gtk_widget_hide(window_);
  Form_Unload();
  gtk_main_quit();
}

gboolean SettingsDialog::OnFormDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* self = static_cast<SettingsDialog*>(data);
  if (self->background_ != nullptr) {
    cairo_set_source_surface(cr, self->background_, 0, 0);
    cairo_paint(cr);
  }
  return FALSE;  // the controls draw on top
}

void SettingsDialog::OnFormSizeAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data) {
  auto* self = static_cast<SettingsDialog*>(data);
  if (self->background_ != nullptr && cairo_image_surface_get_width(self->background_) == allocation->width &&
      cairo_image_surface_get_height(self->background_) == allocation->height)
    return;
  self->Form_Resize(allocation->width, allocation->height);
}

gboolean SettingsDialog::OnPanelDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* self = static_cast<SettingsDialog*>(data);
  const int width = gtk_widget_get_allocated_width(widget), height = gtk_widget_get_allocated_height(widget);
  cairo_set_source_rgb(cr, 224 / 255.0, 224 / 255.0, 224 / 255.0);
  cairo_paint(cr);
  self->Pic_Tile(cr, width, height);
  // A thin sunken edge sets the panel into the background.
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, 0, 0, 0.12, 0.45);
  cairo_move_to(cr, 0.5, height - 0.5);
  cairo_line_to(cr, 0.5, 0.5);
  cairo_line_to(cr, width - 0.5, 0.5);
  cairo_stroke(cr);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
  cairo_move_to(cr, width - 0.5, 0.5);
  cairo_line_to(cr, width - 0.5, height - 0.5);
  cairo_line_to(cr, 0.5, height - 0.5);
  cairo_stroke(cr);
  // Shape3, the frame around the heading.
  cairo_set_source_rgb(cr, 0, 60 / 255.0, 116 / 255.0);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, 20.5, 20.5, 112, 20);
  cairo_stroke(cr);
  return FALSE;  // the controls draw on top
}

gboolean SettingsDialog::OnBoxDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
  auto* self = static_cast<SettingsDialog*>(data);
  const int index = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "kind"));
  cairo_set_source_surface(cr, self->box_pictures_[self->box_filled_[static_cast<size_t>(index)] ? 1 : 0], 0, 0);
  cairo_paint(cr);
  return TRUE;
}

// Any mouse button on a box or its caption picks that kind.
gboolean SettingsDialog::OnKindPress(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  if (event->type == GDK_BUTTON_PRESS)
    static_cast<SettingsDialog*>(data)->SelectKind(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), "kind")));
  return TRUE;
}

gboolean SettingsDialog::OnLinkRelease(GtkWidget* widget, GdkEventButton* event, gpointer data) {
  const bool inside = event->x >= 0 && event->y >= 0 && event->x < gtk_widget_get_allocated_width(widget) &&
                      event->y < gtk_widget_get_allocated_height(widget);
  if (event->button == 1 && inside) static_cast<SettingsDialog*>(data)->lbl_URL_Click();
  return TRUE;
}

void SettingsDialog::OnLinkRealize(GtkWidget* widget, gpointer) {
  GdkWindow* window = gtk_widget_get_window(widget);
  GdkCursor* hand = gdk_cursor_new_from_name(gdk_window_get_display(window), "pointer");
  gdk_window_set_cursor(window, hand);
  if (hand != nullptr) g_object_unref(hand);
}

// The first configuration after the window manager has put a frame around
// the window places it by its outer size.
gboolean SettingsDialog::OnWindowConfigure(GtkWidget* widget, GdkEvent*, gpointer data) {
  auto* self = static_cast<SettingsDialog*>(data);
  if (self->placed_by_frame_ || !gtk_widget_get_mapped(widget)) return FALSE;
  GdkRectangle frame{};
  gdk_window_get_frame_extents(gtk_widget_get_window(widget), &frame);
  if (frame.width == gtk_widget_get_allocated_width(widget) &&
      frame.height == gtk_widget_get_allocated_height(widget))
    return FALSE;  // not framed (yet)
  self->placed_by_frame_ = true;
  self->PlaceWindow();
  return FALSE;
}

// The list of the track box drops down below the box and scrolls, at a
// height of kTrackListHeight; GTK would make it as tall as all 31 entries or
// the screen allows. GTK sizes the list's window every time it opens it:
// whatever height it asks for is turned into ours there and then, and the
// list keeps a scroll bar that turns on when needed. The list's window is
// found through the accessible object of its tree view, the one public way
// to it; it exists once the box has its style.
void SettingsDialog::OnTrackBoxMapped(GtkWidget* combo, gpointer) {
  if (g_object_get_data(G_OBJECT(combo), "oruna-list-fitted") != nullptr) return;
  AtkObject* accessible = gtk_combo_box_get_popup_accessible(GTK_COMBO_BOX(combo));
  if (accessible == nullptr || !GTK_IS_ACCESSIBLE(accessible)) return;
  GtkWidget* list = gtk_accessible_get_widget(GTK_ACCESSIBLE(accessible));
  if (list == nullptr || !GTK_IS_TREE_VIEW(list)) return;
  GtkWidget* scroller = gtk_widget_get_parent(list);
  GtkWidget* popup = gtk_widget_get_toplevel(list);
  if (!GTK_IS_SCROLLED_WINDOW(scroller) || !GTK_IS_WINDOW(popup)) return;
  g_object_set_data(G_OBJECT(combo), "oruna-list-fitted", popup);
  g_signal_connect(popup, "notify::height-request", G_CALLBACK(KeepTrackListHeight), nullptr);
  g_signal_connect(scroller, "notify::vscrollbar-policy", G_CALLBACK(KeepTrackListScrolling), nullptr);
  KeepTrackListHeight(G_OBJECT(popup), nullptr, nullptr);
  KeepTrackListScrolling(G_OBJECT(scroller), nullptr, nullptr);
}

void SettingsDialog::KeepTrackListHeight(GObject* popup, GParamSpec*, gpointer) {
  int width = -1, height = -1;
  gtk_widget_get_size_request(GTK_WIDGET(popup), &width, &height);
  if (height != kTrackListHeight) gtk_widget_set_size_request(GTK_WIDGET(popup), width, kTrackListHeight);
}

void SettingsDialog::KeepTrackListScrolling(GObject* scroller, GParamSpec*, gpointer) {
  GtkPolicyType across = GTK_POLICY_NEVER, down = GTK_POLICY_NEVER;
  gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(scroller), &across, &down);
  if (down == GTK_POLICY_NEVER)
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), across, GTK_POLICY_AUTOMATIC);
}

gboolean SettingsDialog::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer data) {
  static_cast<SettingsDialog*>(data)->Close();
  return TRUE;
}

}  // namespace

void ShowSettingsDialog() {
  SettingsDialog dialog;
  dialog.ShowModal();
}

}  // namespace oruna
