// Camera-facing diamonds for the sparks.
#pragma once
#include <array>

#include "gl_include.h"
#include "vec3d.h"

namespace oruna {

// The four corners, in drawing order P+R, P-U, P-R, P+U, of a square with
// diagonals 2s along R = (E-P) x z and U = (E-P) x R, facing the eye E.
std::array<Vec3d, 4> BillboardCorners(const Vec3d& p, double s, const Vec3d& eye);

// Draws one additive, textured diamond without depth writes.
void DrawBillboard(double x, double y, double z, double size, float red, float green, float blue,
                   float eye_x, float eye_y, float eye_z, GLuint texture);

}  // namespace oruna
