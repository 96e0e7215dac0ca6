// The preview form "Preview Window": the built-in preview picture stretched
// over a child window of the screen-saver host's pane.
#pragma once
#include <cstdint>
#include <memory>

namespace oruna {

class Preview {
 public:
  virtual ~Preview() = default;
  // Follows the pane's size and returns once the pane or the preview window
  // has been destroyed or the preview has been asked to close.
  virtual void Run() = 0;
};

// Creates and shows the preview inside `parent`; null when `parent` is 0 or
// not a window, or there is no display.
std::unique_ptr<Preview> StartPreviewWindow(int64_t parent);

}  // namespace oruna
