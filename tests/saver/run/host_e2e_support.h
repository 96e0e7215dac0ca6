// Shared by the end-to-end tests of runs inside a screen-saver host: the
// programs in a folder of their own, the processes started from it, and
// where the scene's sphere lands in a window of a given size.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace oruna::test {

// Copies Oruna.scr and, as Oruna.dll, the built program `renderer` (Oruna.dll
// or a stand-in) into `folder`, replacing earlier copies.
bool InstallPrograms(const std::string& folder, const std::string& renderer);

// Processes whose program lies in `folder` (and is named `name`, when
// given), by the first word of their command line, which is readable for
// every user's processes.
std::vector<pid_t> ProcessesIn(const std::string& folder, const std::string& name = "");
// The parent of `pid`, 0 when it is gone.
pid_t ParentOf(pid_t pid);
// Kills whatever still runs from `folder`.
void EndAll(const std::string& folder);

// The projected centre of the scene's sphere in a window of `width` x
// `height`, worked out from the camera: the eye at (1, 1.2, 1) looking at
// (-1, 0, 0) with y up, a vertical field of view of 45 degrees.
struct ScreenPoint {
  int x, y;
};
ScreenPoint SphereCentre(int width, int height);

// The sphere's mottled orange-red: clearly red, little blue.
bool ShowsSphere(uint32_t rgb);
// The backdrop's night sky away from its stars.
bool Dark(uint32_t rgb);

}  // namespace oruna::test
