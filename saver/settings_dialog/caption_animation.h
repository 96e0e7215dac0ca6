// The dialog's opening and closing animation: an outline that zooms between
// a point (the pointer's position when the dialog loaded) and the dialog's
// window rectangle.
#pragma once

namespace oruna {

struct ScreenRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// Blocks for the short time the animation takes; does nothing where the
// screen cannot be drawn on.
void AnimateCaption(const ScreenRect& from, const ScreenRect& to);

}  // namespace oruna
