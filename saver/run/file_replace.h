// Replacing a file as a whole, so that a reader never sees half of it and a
// link planted under the file's name is replaced instead of followed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace oruna {

// Writes `bytes` to a new private file in the same folder and renames it
// over `path`. The folder must be a real directory (not a symlink) owned by
// the user and writable by nobody else. False, with nothing left behind, when
// any step fails.
bool ReplaceFileContents(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace oruna
