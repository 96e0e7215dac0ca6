// A minimal reparenting window manager for tests on a private Xvfb: every
// top-level window mapped while it runs gets a frame with the given border
// widths, placed the way window managers honour the north-west gravity (the
// frame's outer corner at the position the client asked for). Its own
// connection and thread; no decorations beyond a plain grey frame.
#pragma once
#include <X11/Xlib.h>

#include <atomic>
#include <map>
#include <thread>

namespace oruna::test {

struct FrameBorders {
  int left, top, right, bottom;
};

class FramingWindowManager {
 public:
  explicit FramingWindowManager(FrameBorders borders);
  ~FramingWindowManager();
  FramingWindowManager(const FramingWindowManager&) = delete;
  FramingWindowManager& operator=(const FramingWindowManager&) = delete;

  // False when another window manager holds the screen or X is missing.
  bool ok() const { return ok_; }

 private:
  void Run();
  void Map(Window client);
  void Unmap(Window client, bool still_there);
  void Configure(const XConfigureRequestEvent& request);
  void TellClientWhereItIs(Window client);

  FrameBorders borders_;
  Display* display_ = nullptr;
  bool ok_ = false;
  std::map<Window, Window> frames_;  // client -> frame
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace oruna::test
