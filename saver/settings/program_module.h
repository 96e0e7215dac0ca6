// Code modules beside Oruna.scr (Linux): parts of the saver that only some
// modes need, loaded from the program folder when they are needed.
#pragma once
#include <string>

namespace oruna {

// The address of `entry` in the module `file` of the folder `folder`, loaded
// with every symbol bound (a module that does not fit this system fails here,
// not halfway through its work) and never unloaded. Code is loaded only from
// an absolute folder, never from wherever the current directory happens to
// be. Null, with the reason in `why_not`, when the folder is not absolute or
// the module is missing, does not load or has no such entry.
void* ProgramModuleEntry(const std::string& folder, const char* file, const char* entry, std::string& why_not);

}  // namespace oruna
