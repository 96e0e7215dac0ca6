#include "scene.h"

#include "billboard.h"
#include "bitmap_texture.h"
#include "corona_grid.h"
#include "particles.h"

namespace oruna {
namespace {

SceneTextures g_textures;
GLUquadricObj* g_quadric = nullptr;
float g_angle = 0.0f;

constexpr float kEye[3] = {1.0f, 1.2f, 1.0f};

// Emitters: fixed vertices [m][n] of the unjittered, unrotated shell.
constexpr int kEmitters[5][2] = {{16, 10}, {18, 8}, {13, 9}, {15, 9}, {13, 6}};

void SetGlState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void DrawBackdrop() {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, g_textures.backdrop);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glPushMatrix();
  glTranslatef(-5.0f, 0.0f, -2.0f);
  glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f); glVertex3f(-4.0f, 0.0f, -6.0f);
  glTexCoord2f(1.0f, 0.0f); glVertex3f(4.0f, 0.0f, -6.0f);
  glTexCoord2f(1.0f, 1.0f); glVertex3f(4.0f, 0.0f, 5.0f);
  glTexCoord2f(0.0f, 1.0f); glVertex3f(-4.0f, 0.0f, 5.0f);
  glEnd();
  glPopMatrix();
}

void DrawSphere() {
  glBindTexture(GL_TEXTURE_2D, g_textures.sphere);
  glPushMatrix();
  glTranslatef(0.0f, 0.0f, 0.0f);
  glRotatef(g_angle, 1.0f, 1.0f, 1.0f);
  glColor4f(0.8f, 0.8f, 0.1f, 1.0f);
  if (g_quadric != nullptr) gluSphere(g_quadric, 0.99, 32, 32);
  glPopMatrix();
}

void CoronaVertex(const GridVertex& v, float s, float t) {
  glTexCoord2f(s, t);
  glVertex3f(v.x, v.y, v.z);
}

void DrawCorona() {
  const CoronaGrid& g = JitteredGrid();
  glPushMatrix();
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glBlendFunc(GL_ONE, GL_DST_COLOR);
  glBindTexture(GL_TEXTURE_2D, g_textures.corona);
  glColor4f(1.0f, 1.0f, 0.0f, 0.3f);
  glRotatef(-g_angle, 0.0f, 0.0f, 1.0f);
  // One glBegin/glEnd for all 1,024 cells: the quads stay separate and keep
  // their order (which the blend depends on), without a draw call per cell.
  glBegin(GL_QUADS);
  for (int n = 0; n < kGridSize - 1; ++n) {
    for (int m = 0; m < kGridSize - 1; ++m) {
      CoronaVertex(g[m][n], 0.0f, 0.0f);
      CoronaVertex(g[m + 1][n], 1.0f, 0.0f);
      CoronaVertex(g[m + 1][n + 1], 1.0f, 1.0f);
      CoronaVertex(g[m][n + 1], 0.0f, 1.0f);
    }
  }
  glEnd();
  glPopMatrix();
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);
  glDisable(GL_TEXTURE_2D);
}

}  // namespace

void StepSparkEmitters() {
  const CoronaGrid& base = BaseGrid();
  for (const auto& e : kEmitters) {
    const GridVertex& v = base[e[0]][e[1]];
    StepParticles(v.x, v.y, v.z, 1);
  }
}

namespace {

// All sparks share one state and one glBegin/glEnd: drawing each on its own,
// with the state set and reset around every one, gives the same pixels but
// costs a pipeline flush per spark (about 3x the frame time on Mesa).
void DrawSparks() {
  const Particle* pool = ParticlePool();
  const Vec3d eye{kEye[0], kEye[1], kEye[2]};
  BeginBillboards(g_textures.particles);
  for (int i = 0; i < kParticleCount; ++i) {
    const Particle& p = pool[i];
    if (p.active != 1) continue;
    const float fade = (100.0f - p.life) / 100.0f;
    EmitBillboard({p.x, p.y, p.z}, p.size, -fade, -fade / 2.0f, 0.0f, eye);
  }
  EndBillboards();
}

}  // namespace

SceneTextures& Textures() { return g_textures; }
float RotationAngle() { return g_angle; }

float AdvanceAngle(float angle) {
  angle += 0.03f;
  if (angle >= 360.0f) angle -= 360.0f;
  return angle;
}

bool InitScene() {
  if (!LoadTextureSet(g_textures)) return false;
  ResetParticles();
  SetGlState();
  g_quadric = gluNewQuadric();  // without it the sphere is simply left out
  if (g_quadric != nullptr) {
    gluQuadricNormals(g_quadric, GLU_SMOOTH);
    gluQuadricTexture(g_quadric, GL_TRUE);
  }
  BuildCoronaGrid();
  return true;
}

void DrawFrame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  gluLookAt(1.0, 1.2, 1.0, -1.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  JitterCoronaGrid();
  DrawBackdrop();
  g_angle = AdvanceAngle(g_angle);
  DrawSphere();
  DrawCorona();
  StepSparkEmitters();
  DrawSparks();
}

}  // namespace oruna
