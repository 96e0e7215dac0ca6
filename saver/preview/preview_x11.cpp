// Preview on X11: an Xlib child window of the host's pane (given as an X
// window id), covering it, light grey underneath, with the preview picture
// stretched over it by cairo. It follows the pane's size through the pane's
// ConfigureNotify and ends on DestroyNotify of the pane or of itself, on a
// WM_DELETE_WINDOW request, or when the display connection is lost.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <cairo.h>
#include <unistd.h>

#include <cstring>
#include <limits>

#include "builtin_pictures.h"
#include "preview.h"

namespace oruna {
namespace {

constexpr const char* kPreviewTitle = "Preview Window";
constexpr unsigned long kLightGrey = 192;  // red, green and blue 192

// X errors about windows the host destroyed meanwhile are expected; the
// default handler would end the program with a message instead.
bool g_x_error = false;
int RecordXError(Display*, XErrorEvent*) {
  g_x_error = true;
  return 0;
}
int EndOnLostDisplay(Display*) { _exit(0); }

// The picture as a cairo image, or null when it cannot be decoded.
cairo_surface_t* PreviewPictureSurface() {
  const DecodedPicture picture = DecodePicture(Picture::Preview);
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgb.size() < static_cast<size_t>(picture.width) * picture.height * 3)
    return nullptr;
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    const uint8_t* in = picture.rgb.data() + static_cast<size_t>(y) * picture.width * 3;
    for (int x = 0; x < picture.width; ++x, in += 3)
      row[x] = (uint32_t{in[0]} << 16) | (uint32_t{in[1]} << 8) | in[2];
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

class PreviewX11 final : public Preview {
 public:
  PreviewX11(Display* display, Window parent) : display_(display), parent_(parent) {}
  ~PreviewX11() override {
    if (target_ != nullptr) cairo_surface_destroy(target_);
    if (picture_ != nullptr) cairo_surface_destroy(picture_);
    XCloseDisplay(display_);
  }

  bool Create();
  void Run() override;

 private:
  void Draw();
  void Resize(int width, int height);

  Display* display_;
  Window parent_;
  Window window_ = None;
  Atom delete_window_ = None;
  int width_ = 1, height_ = 1;
  cairo_surface_t* picture_ = nullptr;
  cairo_surface_t* target_ = nullptr;
};

bool PreviewX11::Create() {
  // The pane must be a window; its size is the preview's size. X sizes are
  // unsigned 16-bit at most, so no pane size is ever cut further.
  XWindowAttributes pane{};
  if (XGetWindowAttributes(display_, parent_, &pane) == 0) return false;
  width_ = pane.width > 0 ? pane.width : 1;
  height_ = pane.height > 0 ? pane.height : 1;
  // Pane size changes and its destruction arrive as StructureNotify events.
  XSelectInput(display_, parent_, StructureNotifyMask);

  // Our own visual and colormap, so the pane may have any depth.
  const int screen = DefaultScreen(display_);
  Visual* visual = DefaultVisual(display_, screen);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = (kLightGrey << 16) | (kLightGrey << 8) | kLightGrey;
  XColor grey{};
  grey.red = grey.green = grey.blue = static_cast<unsigned short>(kLightGrey * 257);
  attributes.colormap = DefaultColormap(display_, screen);
  if (XAllocColor(display_, attributes.colormap, &grey) != 0) attributes.background_pixel = grey.pixel;
  attributes.border_pixel = 0;
  attributes.event_mask = ExposureMask | StructureNotifyMask;
  window_ = XCreateWindow(display_, parent_, 0, 0, static_cast<unsigned>(width_),
                          static_cast<unsigned>(height_), 0, DefaultDepth(display_, screen),
                          InputOutput, visual,
                          CWBackPixel | CWBorderPixel | CWColormap | CWEventMask, &attributes);

  XStoreName(display_, window_, kPreviewTitle);
  const Atom net_wm_name = XInternAtom(display_, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
  XChangeProperty(display_, window_, net_wm_name, utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(kPreviewTitle),
                  static_cast<int>(std::strlen(kPreviewTitle)));
  delete_window_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display_, window_, &delete_window_, 1);
  XMapWindow(display_, window_);
  XSync(display_, False);
  if (g_x_error) return false;  // the pane vanished while we were being made

  picture_ = PreviewPictureSurface();
  target_ = cairo_xlib_surface_create(display_, window_, visual, width_, height_);
  return true;
}

void PreviewX11::Draw() {
  if (picture_ == nullptr) return;  // the grey background stays
  cairo_t* cr = cairo_create(target_);
  cairo_scale(cr, static_cast<double>(width_) / cairo_image_surface_get_width(picture_),
              static_cast<double>(height_) / cairo_image_surface_get_height(picture_));
  cairo_set_source_surface(cr, picture_, 0, 0);
  // Bilinear filtering; the picture's edge pixels continue outward so that the
  // border is not blended with transparency.
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(target_);
  XFlush(display_);
}

void PreviewX11::Resize(int width, int height) {
  width_ = width > 0 ? width : 1;
  height_ = height > 0 ? height : 1;
  cairo_xlib_surface_set_size(target_, width_, height_);
}

void PreviewX11::Run() {
  for (;;) {
    XEvent event;
    XNextEvent(display_, &event);
    switch (event.type) {
      case Expose:
        if (event.xexpose.count == 0) Draw();
        break;
      case ConfigureNotify:
        if (event.xconfigure.window == parent_) {
          XResizeWindow(display_, window_, static_cast<unsigned>(event.xconfigure.width > 0 ? event.xconfigure.width : 1),
                        static_cast<unsigned>(event.xconfigure.height > 0 ? event.xconfigure.height : 1));
        } else if (event.xconfigure.window == window_) {
          Resize(event.xconfigure.width, event.xconfigure.height);
        }
        break;
      case DestroyNotify:
        if (event.xdestroywindow.window == parent_ || event.xdestroywindow.window == window_) return;
        break;
      case ClientMessage:
        if (event.xclient.window == window_ && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == delete_window_)
          return;
        break;
      default:
        break;
    }
  }
}

}  // namespace

std::unique_ptr<Preview> StartPreviewWindow(int64_t parent) {
  if (parent <= 0 || parent > std::numeric_limits<uint32_t>::max()) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  XSetErrorHandler(RecordXError);
  XSetIOErrorHandler(EndOnLostDisplay);
  auto preview = std::make_unique<PreviewX11>(display, static_cast<Window>(parent));
  if (!preview->Create()) return nullptr;
  return preview;
}

}  // namespace oruna
