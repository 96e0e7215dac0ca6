// Keeping the shared libraries that are loaded at a point in time mapped
// until the process ends.
#pragma once

namespace oruna {

// Marks every shared object loaded right now as never to be unloaded, so a
// later dlclose (SDL closing libGL, libGL closing its DRI driver) leaves it
// mapped until exit. Returns how many objects were marked.
int KeepLoadedModulesUntilExit();

}  // namespace oruna
