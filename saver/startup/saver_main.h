// Start-up of Oruna.scr: the single-instance check and the dispatch on the
// screen-saver host's switch.
#pragma once
#include <string>
#include <vector>

#include "saver_platform.h"

namespace oruna {

// Caption of the hidden run form and of the settings dialog: while either
// exists anywhere on the display, a new instance ends at once.
inline constexpr const char* kRunFormTitle = "Oruna_Main";
inline constexpr const char* kSettingsDialogTitle = "<Oruna>";
// How long a run inside a host's window waits for another run to end: longer
// than an ending run may take, which gives its renderer a second to end and
// another after ending it by force.
inline constexpr int kLastRunEndWaitMs = 3000;

// The program's start-up routine. `argument_text` is the command line after
// the program's name as one text. Returns with a form loaded (run form or
// preview) or after having ended the program through `platform`.
// The argument text as the host passes it: the arguments after the program's
// name joined by single blanks.
std::string JoinArguments(const std::vector<std::string>& arguments);

void Main(const std::string& argument_text, SaverPlatform& platform);

}  // namespace oruna
