// The settings dialog's built-in pictures (our own art, embedded PNG files)
// and the stored property bags of its three buttons.
#pragma once
#include <string_view>

#include "ui_picture.h"

namespace oruna {

enum class DialogPicture {
  BoxEmpty,    // 12 x 12 selection box, not selected (Img_Ra index 0)
  BoxFilled,   // 12 x 12 selection box filled with blue (Img_Ra index 1)
  MetalStrip,  // 556 x 20 light grey brushed metal (Pic_Mbl)
  Icon,        // 32 x 32 window icon
};
const UiPicture& DialogPictureOf(DialogPicture picture);

// The stored bags of Cmd_File, Cmd_Set and Cmd_Can, as text.
enum class DialogButton { File, Set, Cancel };
std::string_view StoredButtonBag(DialogButton button);

}  // namespace oruna
