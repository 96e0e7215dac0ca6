// OpenGL 1.1 and GLU headers. Windows' GL headers need <windows.h> first;
// this is the one place that knows it.
#pragma once
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glu.h>
