// Whether the mouse cursor is really drawn on an Xvfb screen. The server
// reports the image of the cursor in use even while that cursor is hidden
// (hiding through XFixes leaves the image in place), so the truth is read
// from the frame buffer that Xvfb keeps in a file (-fbdir), where its
// software cursor is drawn over the picture.
#pragma once
#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace oruna::test {

// 0xRRGGBB pixels of a rectangle of the screen as the frame-buffer file
// (XWD format, 32 bits per pixel) holds it now, rows top first; nullopt when
// the file cannot be read or the rectangle is not inside the screen.
std::optional<std::vector<uint32_t>> ReadFramebuffer(const std::string& file, int x, int y, int width,
                                                     int height);

class ScreenCursor {
 public:
  ScreenCursor(Display* display, std::string framebuffer_file);

  // Xvfb's root window starts with a blank cursor, under which a cursor
  // that is shown could not be told from one that is hidden. This gives the
  // root a plain black-and-white cursor of our own; windows that set none of
  // their own inherit it.
  void UsePlainRootCursor();
  // Moves the pointer through XTest, as a mouse would.
  void MovePointer(int x, int y);

  // One look: every opaque pixel of the cursor in use is in the frame
  // buffer where the pointer is. A blank cursor is never drawn.
  bool DrawnNow();
  // True as soon as one look sees the cursor. The server lifts the sprite
  // for a moment whenever something is drawn under it, so one look that
  // misses it proves nothing.
  bool SeenWithin(std::chrono::milliseconds timeout);
  // True when no look during `span` sees the cursor.
  bool AbsentFor(std::chrono::milliseconds span);
  // The plain root cursor moved to `x`, `y`: true once it is seen there.
  bool ShowPlainCursorAt(int x, int y, std::chrono::milliseconds timeout);

 private:
  Display* display_;
  std::string file_;
  Cursor plain_ = 0;
};

}  // namespace oruna::test
