#include "billboard.h"

namespace oruna {
namespace {

void EmitCorners(const std::array<Vec3d, 4>& corners) {
  static const double kTexCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    glTexCoord2d(kTexCoords[i][0], kTexCoords[i][1]);
    glVertex3d(corners[i].x, corners[i].y, corners[i].z);
  }
}

}  // namespace

std::array<Vec3d, 4> BillboardCorners(const Vec3d& p, double s, const Vec3d& eye) {
  const Vec3d d = VecSub(eye, p);
  Vec3d r = VecCross(d, Vec3d{0, 0, 1});
  Vec3d u = VecCross(d, r);
  r = VecScale(VecNormalize(r), s);
  u = VecScale(VecNormalize(u), s);
  return {Vec3d{p.x + r.x, p.y + r.y, p.z + r.z}, VecSub(p, u), VecSub(p, r),
          Vec3d{p.x + u.x, p.y + u.y, p.z + u.z}};
}

void DrawBillboard(double x, double y, double z, double size, float red, float green, float blue,
                   float eye_x, float eye_y, float eye_z, GLuint texture) {
  glColor3f(red, green, blue);
  BeginBillboards(texture);
  EmitCorners(BillboardCorners({x, y, z}, size, {eye_x, eye_y, eye_z}));
  EndBillboards();
}

void BeginBillboards(GLuint texture) {
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glDepthMask(GL_FALSE);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBegin(GL_QUADS);
}

void EmitBillboard(const Vec3d& p, double size, float red, float green, float blue, const Vec3d& eye) {
  glColor3f(red, green, blue);
  EmitCorners(BillboardCorners(p, size, eye));
}

void EndBillboards() {
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
}

}  // namespace oruna
