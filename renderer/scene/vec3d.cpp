#include "vec3d.h"

#include <cmath>

namespace oruna {

Vec3d VecSub(const Vec3d& a, const Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3d VecCross(const Vec3d& a, const Vec3d& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3d VecScale(const Vec3d& a, double s) { return {a.x * s, a.y * s, a.z * s}; }

Vec3d VecNormalize(const Vec3d& a) {
  const double length = VecLength(a);
  return {a.x / length, a.y / length, a.z / length};
}

double VecLength(const Vec3d& a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }

}  // namespace oruna
