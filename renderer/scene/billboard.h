// Camera-facing diamonds for the sparks.
#pragma once
#include <array>

#include "gl_include.h"
#include "vec3d.h"

namespace oruna {

// The four corners, in drawing order P+R, P-U, P-R, P+U, of a square with
// diagonals 2s along R = (E-P) x z and U = (E-P) x R, facing the eye E.
std::array<Vec3d, 4> BillboardCorners(const Vec3d& p, double s, const Vec3d& eye);

// Draws one additive, textured diamond without depth writes, setting and
// resetting that state around it.
void DrawBillboard(double x, double y, double z, double size, float red, float green, float blue,
                   float eye_x, float eye_y, float eye_z, GLuint texture);

// The same diamonds in bulk: the state once, then any number of diamonds
// inside one glBegin(GL_QUADS)/glEnd, then the state reset. Each diamond's
// pixels are those DrawBillboard gives it: additive blending does not depend
// on the order, and the state is the same for all of them.
void BeginBillboards(GLuint texture);
void EmitBillboard(const Vec3d& p, double size, float red, float green, float blue, const Vec3d& eye);
void EndBillboards();

}  // namespace oruna
