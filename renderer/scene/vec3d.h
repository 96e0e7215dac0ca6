// Double-precision 3-vectors for the billboard maths.
#pragma once

namespace oruna {

struct Vec3d {
  double x = 0, y = 0, z = 0;
};

Vec3d VecSub(const Vec3d& a, const Vec3d& b);
Vec3d VecCross(const Vec3d& a, const Vec3d& b);  // right-handed
Vec3d VecScale(const Vec3d& a, double s);
Vec3d VecNormalize(const Vec3d& a);  // each component divided by the length
double VecLength(const Vec3d& a);

}  // namespace oruna
