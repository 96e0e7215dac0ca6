// Stands in for the renderer Oruna.dll in the saver's end-to-end tests: a
// plain X window titled "Oruna_VC" that closes on Escape. Environment:
//   ORUNA_STANDIN_DELAY_MS  wait this long before opening the window (a slow
//                           display-mode change);
//   ORUNA_STANDIN_REPORT    append one line per start: "<argc> <textures>",
//                           textures being 1 or 0 per bitmap file present;
//   ORUNA_STANDIN_WAYLAND   without an X display, stay until ended instead of
//                           ending at once: "shown" reports the picture shown
//                           (as the renderer does on Wayland), "never" never.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "shown_report.h"
#include "texture_files.h"

int main(int argc, char**) {
  if (const char* report = std::getenv("ORUNA_STANDIN_REPORT")) {
    std::string line = std::to_string(argc - 1) + " ";
    for (int i = 1; i <= oruna::kTextureCount; ++i)
      line += access(oruna::TextureFilePath(i).c_str(), R_OK) == 0 ? '1' : '0';
    std::ofstream(report, std::ios::app) << line << "\n";
  }
  if (const char* delay = std::getenv("ORUNA_STANDIN_DELAY_MS")) usleep(std::atoi(delay) * 1000);

  Display* display = XOpenDisplay(nullptr);
  if (const char* wayland = std::getenv("ORUNA_STANDIN_WAYLAND"); display == nullptr && wayland != nullptr) {
    if (std::strcmp(wayland, "shown") == 0) oruna::ReportPictureShown();
    for (;;) pause();  // until a signal ends it
  }
  if (display == nullptr) return 0;
  // Full screen, as the renderer: keys reach it wherever the pointer is.
  const int screen = DefaultScreen(display);
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, DisplayWidth(display, screen),
                          DisplayHeight(display, screen), 0, 0, BlackPixel(display, screen));
  XStoreName(display, window, "Oruna_VC");
  Atom close_request = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &close_request, 1);
  XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
  XMapRaised(display, window);
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify) {
      XSetInputFocus(display, window, RevertToParent, CurrentTime);
    } else if (event.type == KeyPress) {
      if (XLookupKeysym(&event.xkey, 0) == XK_Escape) break;
    } else if (event.type == ClientMessage &&
               static_cast<Atom>(event.xclient.data.l[0]) == close_request) {
      break;
    }
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
