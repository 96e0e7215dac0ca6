// The screen saver's program entry on each platform.
#pragma once
#include <string>

namespace oruna {

// Runs Main with the platform's services and then the loaded form until the
// program ends. Returns the exit code when no form was loaded.
int RunSaver(const std::string& argument_text);

}  // namespace oruna
