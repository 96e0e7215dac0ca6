#include "x11_test_util.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>

#include <cstring>

#include "test_support.h"
#include "window_search_x11.h"

namespace oruna::test {

X11Connection::X11Connection() : display_(XOpenDisplay(nullptr)) {}
X11Connection::~X11Connection() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

Window X11Connection::Find(const std::string& title) { return FindX11WindowByTitle(display_, title); }

bool X11Connection::WaitForWindow(const std::string& title, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return Find(title) != None; }, timeout);
}

bool X11Connection::WaitForWindowGone(const std::string& title, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return Find(title) == None; }, timeout);
}

void X11Connection::KeyDown(const char* keysym_name) {
  const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym_name));
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XFlush(display_);
}

void X11Connection::KeyUp(const char* keysym_name) {
  const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym_name));
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XFlush(display_);
}

void X11Connection::TapKey(const char* keysym_name) {
  KeyDown(keysym_name);
  KeyUp(keysym_name);
}

void X11Connection::RequestClose(Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  XFlush(display_);
}

bool X11Connection::Size(Window window, int& width, int& height) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, window, &attributes) == 0) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

std::vector<uint32_t> X11Connection::Grab(int x, int y, int width, int height) {
  std::vector<uint32_t> pixels;
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) return pixels;
  for (int row = 0; row < height; ++row)
    for (int col = 0; col < width; ++col)
      pixels.push_back(static_cast<uint32_t>(XGetPixel(image, col, row)) & 0xFFFFFFu);
  XDestroyImage(image);
  return pixels;
}

bool OfferMode1024x768(Display* display) {
  const Window root = DefaultRootWindow(display);
  XRRScreenResources* resources = XRRGetScreenResources(display, root);
  if (resources == nullptr) return false;
  const bool has_output = resources->noutput > 0;
  if (has_output) {
    char name[] = "1024x768_test";
    XRRModeInfo info{};
    info.width = 1024;
    info.height = 768;
    info.dotClock = 63500000;
    info.hSyncStart = 1072;
    info.hSyncEnd = 1176;
    info.hTotal = 1328;
    info.vSyncStart = 771;
    info.vSyncEnd = 775;
    info.vTotal = 798;
    info.name = name;
    info.nameLength = static_cast<unsigned>(std::strlen(name));
    info.modeFlags = RR_HSyncNegative | RR_VSyncPositive;
    const RRMode mode = XRRCreateMode(display, root, &info);
    XRRAddOutputMode(display, resources->outputs[0], mode);
  }
  XRRFreeScreenResources(resources);
  XSync(display, False);
  return has_output;
}

bool SwitchTo1024x768(Display* display) {
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
  if (resources == nullptr) return false;
  RRMode mode = None;
  for (int i = 0; i < resources->nmode; ++i)
    if (std::strcmp(resources->modes[i].name, "1024x768_test") == 0) mode = resources->modes[i].id;
  if (mode != None && resources->noutput > 0 && resources->ncrtc > 0) {
    RROutput output = resources->outputs[0];
    const RRCrtc crtc = resources->crtcs[0];
    XRRSetCrtcConfig(display, resources, crtc, CurrentTime, 0, 0, None, RR_Rotate_0, nullptr, 0);
    XRRSetScreenSize(display, DefaultRootWindow(display), 1024, 768, 260, 195);
    XRRSetCrtcConfig(display, resources, crtc, CurrentTime, 0, 0, mode, RR_Rotate_0, &output, 1);
  }
  XRRFreeScreenResources(resources);
  XSync(display, False);
  return mode != None;
}

std::pair<int, int> RootSize(Display* display) {
  XWindowAttributes root{};
  XGetWindowAttributes(display, DefaultRootWindow(display), &root);
  return {root.width, root.height};
}

Window MakeTestWindow(Display* display, int x, int y, int width, int height, uint32_t pixel, const char* title,
                      bool mapped) {
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
                                            static_cast<unsigned>(height), 0, 0, pixel);
  if (title != nullptr) XStoreName(display, window, title);
  if (mapped) XMapWindow(display, window);
  XSync(display, False);
  if (mapped) {
    WaitUntil([&] {
      XWindowAttributes attributes{};
      return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
    }, std::chrono::seconds(10));
  }
  return window;
}

namespace {

bool QueryTree(Display* display, Window window, Window& parent, std::vector<Window>& children) {
  Window root = None, *list = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, window, &root, &parent, &list, &count) == 0) return false;
  children.assign(list, list + count);
  if (list != nullptr) XFree(list);
  return true;
}

}  // namespace

std::vector<Window> ChildWindows(Display* display, Window window) {
  Window parent = None;
  std::vector<Window> children;
  QueryTree(display, window, parent, children);
  return children;
}

Window ParentWindow(Display* display, Window window) {
  Window parent = None;
  std::vector<Window> children;
  return QueryTree(display, window, parent, children) ? parent : None;
}

}  // namespace oruna::test
