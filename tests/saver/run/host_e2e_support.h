// Shared by the end-to-end tests of runs inside a screen-saver host: the
// programs in a folder of their own, and where the scene's sphere lands in a
// window of a given size.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace oruna::test {

// Copies Oruna.scr and, as Oruna.dll, the built program `renderer` (Oruna.dll
// or a stand-in) into `folder`, replacing earlier copies.
bool InstallPrograms(const std::string& folder, const std::string& renderer);

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
