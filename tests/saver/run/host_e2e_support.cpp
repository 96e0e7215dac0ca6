#include "host_e2e_support.h"

#include <cmath>
#include <filesystem>

#include "test_support.h"

namespace oruna::test {

bool InstallPrograms(const std::string& folder, const std::string& renderer) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(folder, ec);
  const auto replace = fs::copy_options::overwrite_existing;
  return fs::copy_file(BinaryDir() + "/Oruna.scr", folder + "/Oruna.scr", replace, ec) &&
         fs::copy_file(BinaryDir() + "/" + renderer, folder + "/Oruna.dll", replace, ec);
}

ScreenPoint SphereCentre(int width, int height) {
  struct V {
    double x, y, z;
  };
  auto sub = [](V a, V b) { return V{a.x - b.x, a.y - b.y, a.z - b.z}; };
  auto dot = [](V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
  auto cross = [](V a, V b) { return V{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; };
  auto unit = [&](V a) {
    const double n = std::sqrt(dot(a, a));
    return V{a.x / n, a.y / n, a.z / n};
  };
  const V eye{1, 1.2, 1};
  const V forward = unit(sub(V{-1, 0, 0}, eye));
  const V side = unit(cross(forward, V{0, 1, 0}));
  const V up = cross(side, forward);
  const double focal = 1.0 / std::tan(22.5 * std::acos(-1.0) / 180.0);
  const double aspect = static_cast<double>(width) / height;
  const V to_centre = sub(V{0, 0, 0}, eye);
  const double depth = dot(to_centre, forward);
  const double nx = dot(to_centre, side) * focal / aspect / depth;
  const double ny = dot(to_centre, up) * focal / depth;
  return {static_cast<int>((nx + 1) * width / 2), static_cast<int>(height - (ny + 1) * height / 2)};
}

bool ShowsSphere(uint32_t rgb) {
  const int red = static_cast<int>((rgb >> 16) & 0xFF), blue = static_cast<int>(rgb & 0xFF);
  return red >= 96 && red >= blue + 48;
}

bool Dark(uint32_t rgb) {
  return ((rgb >> 16) & 0xFF) < 48 && ((rgb >> 8) & 0xFF) < 48 && (rgb & 0xFF) < 48;
}

}  // namespace oruna::test
