// Entry of the settings dialog "<Oruna>": shows it modally and returns once
// it has closed.
#pragma once

namespace oruna {

void ShowSettingsDialog();

}  // namespace oruna
