#include "dialog_pictures.h"

#define ORUNA_EMBEDDED(symbol)            \
  extern const unsigned char symbol[];    \
  extern const unsigned int symbol##_size;
ORUNA_EMBEDDED(oruna_ui_box_empty)
ORUNA_EMBEDDED(oruna_ui_box_filled)
ORUNA_EMBEDDED(oruna_ui_metal_strip)
ORUNA_EMBEDDED(oruna_ui_icon)
ORUNA_EMBEDDED(oruna_bag_cmd_file)
ORUNA_EMBEDDED(oruna_bag_cmd_set)
ORUNA_EMBEDDED(oruna_bag_cmd_can)
#undef ORUNA_EMBEDDED

namespace oruna {

const UiPicture& DialogPictureOf(DialogPicture picture) {
  static const UiPicture pictures[] = {
      DecodeUiPicture(oruna_ui_box_empty, oruna_ui_box_empty_size),
      DecodeUiPicture(oruna_ui_box_filled, oruna_ui_box_filled_size),
      DecodeUiPicture(oruna_ui_metal_strip, oruna_ui_metal_strip_size),
      DecodeUiPicture(oruna_ui_icon, oruna_ui_icon_size),
  };
  return pictures[static_cast<int>(picture)];
}

std::string_view StoredButtonBag(DialogButton button) {
  auto text = [](const unsigned char* data, unsigned size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
  };
  switch (button) {
    case DialogButton::File: return text(oruna_bag_cmd_file, oruna_bag_cmd_file_size);
    case DialogButton::Set: return text(oruna_bag_cmd_set, oruna_bag_cmd_set_size);
    case DialogButton::Cancel: return text(oruna_bag_cmd_can, oruna_bag_cmd_can_size);
  }
  return {};
}

}  // namespace oruna
