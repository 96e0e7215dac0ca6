#include "framing_window_manager_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>

namespace oruna::test {
namespace {

bool redirect_refused = false;

int NoteRedirectRefused(Display*, XErrorEvent* error) {
  if (error->error_code == BadAccess) redirect_refused = true;
  return 0;
}

// Windows that vanish while we handle them are no fault of the test.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

FramingWindowManager::FramingWindowManager(FrameBorders borders) : borders_(borders) {
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return;
  redirect_refused = false;
  XErrorHandler previous = XSetErrorHandler(NoteRedirectRefused);
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureRedirectMask | SubstructureNotifyMask);
  XSync(display_, False);
  XSetErrorHandler(previous);
  ok_ = !redirect_refused;
  if (ok_) thread_ = std::thread([this] { Run(); });
}

FramingWindowManager::~FramingWindowManager() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (display_ != nullptr) XCloseDisplay(display_);
}

void FramingWindowManager::Run() {
  XSetErrorHandler(IgnoreErrors);
  while (!stop_) {
    while (XPending(display_) > 0) {
      XEvent event;
      XNextEvent(display_, &event);
      if (event.type == MapRequest) Map(event.xmaprequest.window);
      if (event.type == ConfigureRequest) Configure(event.xconfigurerequest);
      // Unmaps the frames report, not the root's (which include those
      // our own reparenting causes).
      if (event.type == UnmapNotify && event.xunmap.event != DefaultRootWindow(display_))
        Unmap(event.xunmap.window, true);
      if (event.type == DestroyNotify) Unmap(event.xdestroywindow.window, false);
    }
    XFlush(display_);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

void FramingWindowManager::Map(Window client) {
  if (frames_.count(client) != 0) {
    XMapWindow(display_, client);
    return;
  }
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, client, &attributes) == 0) return;
  const Window root = DefaultRootWindow(display_);
  const int screen = DefaultScreen(display_);
  // North-west gravity: the frame's outer corner where the client asked to be.
  const Window frame = XCreateSimpleWindow(
      display_, root, attributes.x, attributes.y,
      static_cast<unsigned>(attributes.width + borders_.left + borders_.right),
      static_cast<unsigned>(attributes.height + borders_.top + borders_.bottom), 0, BlackPixel(display_, screen),
      0x808080);
  XSelectInput(display_, frame, SubstructureRedirectMask | SubstructureNotifyMask);
  XAddToSaveSet(display_, client);
  XReparentWindow(display_, client, frame, borders_.left, borders_.top);
  const long extents[4] = {borders_.left, borders_.right, borders_.top, borders_.bottom};
  XChangeProperty(display_, client, XInternAtom(display_, "_NET_FRAME_EXTENTS", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(extents), 4);
  XMapWindow(display_, frame);
  XMapWindow(display_, client);
  frames_[client] = frame;
  TellClientWhereItIs(client);
}

// A client that hides or goes takes its frame with it; one that only hides
// goes back to the root first, where a later map frames it again.
void FramingWindowManager::Unmap(Window client, bool still_there) {
  const auto framed = frames_.find(client);
  if (framed == frames_.end()) return;
  if (still_there) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display_, client, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
    XReparentWindow(display_, client, DefaultRootWindow(display_), x, y);
    XRemoveFromSaveSet(display_, client);
  }
  XDestroyWindow(display_, framed->second);
  frames_.erase(framed);
}

void FramingWindowManager::Configure(const XConfigureRequestEvent& request) {
  const auto framed = frames_.find(request.window);
  if (framed == frames_.end()) {
    XWindowChanges changes{request.x, request.y, request.width, request.height, request.border_width,
                           request.above, request.detail};
    XConfigureWindow(display_, request.window, static_cast<unsigned>(request.value_mask), &changes);
    return;
  }
  const Window frame = framed->second;
  XWindowAttributes client{}, outer{};
  if (XGetWindowAttributes(display_, request.window, &client) == 0 ||
      XGetWindowAttributes(display_, frame, &outer) == 0)
    return;
  const int width = (request.value_mask & CWWidth) != 0 ? request.width : client.width;
  const int height = (request.value_mask & CWHeight) != 0 ? request.height : client.height;
  const int x = (request.value_mask & CWX) != 0 ? request.x : outer.x;
  const int y = (request.value_mask & CWY) != 0 ? request.y : outer.y;
  XMoveResizeWindow(display_, frame, x, y, static_cast<unsigned>(width + borders_.left + borders_.right),
                    static_cast<unsigned>(height + borders_.top + borders_.bottom));
  XResizeWindow(display_, request.window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  TellClientWhereItIs(request.window);
}

// A framed client learns its place on the screen from a synthetic
// ConfigureNotify in root coordinates.
void FramingWindowManager::TellClientWhereItIs(Window client) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, client, &attributes) == 0) return;
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display_, client, DefaultRootWindow(display_), 0, 0, &x, &y, &child);
  XEvent event{};
  event.xconfigure.type = ConfigureNotify;
  event.xconfigure.event = client;
  event.xconfigure.window = client;
  event.xconfigure.x = x;
  event.xconfigure.y = y;
  event.xconfigure.width = attributes.width;
  event.xconfigure.height = attributes.height;
  XSendEvent(display_, client, False, StructureNotifyMask, &event);
}

}  // namespace oruna::test
