// Control ids of the settings dialog "<Oruna>" on Win32, for GetDlgItem. The
// panel Pic_C is a child of the dialog; the music controls are children of
// the panel; the bottom line and the two buttons are children of the dialog.
#pragma once

namespace oruna {

enum DialogControlId : int {
  kIdPanel = 100,          // Pic_C
  kIdHeading = 101,        // "BGM" inside its frame
  kIdKindBox = 110,        // Img_BGM: 110 + kind index (0 none, 1 audio CD, 2 music file)
  kIdKindCaption = 120,    // lbl_BGM: 120 + kind index
  kIdRepeat = 130,         // BGM_Repeat, the drop-down combo box
  kIdRepeatWords = 131,    // the words after it
  kIdFileButton = 140,     // Cmd_File
  kIdFileName = 141,       // lbl_Fname
  kIdCredit = 150,         // the credit and version line
  kIdLink = 151,           // lbl_URL
  kIdSet = 160,            // Cmd_Set
  kIdCancel = 161,         // Cmd_Can
};

}  // namespace oruna
