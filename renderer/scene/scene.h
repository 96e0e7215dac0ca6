// renderer/scene: the glowing star, drawn in OpenGL 1.1 immediate mode.
//
// Covers: the backdrop wall, the tumbling sphere, the jittered additive
// corona shell (corona_grid) and the sparks (particles, billboard, vec3d),
// the fixed-seed random source that makes every start the same, the
// per-frame animation and the view's projection.
// Limits: draws into whatever GL context is current and never swaps, polls
// or waits; knows no window, platform or clock (the animation advances per
// frame drawn).
// Depends on: GL/GLU headers and its textures (../textures) only.
#pragma once
#include "bitmap_texture.h"
#include "gl_include.h"

namespace oruna {

// Loads the four textures and sets up GL state, the quadric and the corona
// grid. False only when none of the four bitmaps could be loaded.
bool InitScene();

// Draws one frame into the back buffer and advances the animation one frame.
void DrawFrame();

// The per-frame spark step without drawing: one spawn at each of the five
// emitters, each followed by a step of the whole pool.
void StepSparkEmitters();

// Sets viewport and a 45-degree perspective for a client area in pixels.
void ResizeView(int width, int height);

// The sphere's rotation in degrees, and the step that advances it.
float RotationAngle();
float AdvanceAngle(float angle);

// The scene's texture names by role (0 while not loaded).
SceneTextures& Textures();

}  // namespace oruna
