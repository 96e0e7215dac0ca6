// What the end-to-end tests of the real Oruna.dll share: the textures the
// saver leaves for it, the renderer started as the saver starts it, and the
// wait until its picture is on the screen.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "test_support.h"
#include "x11_test_util.h"

namespace oruna::test {

// Writes the four textures, 16x16 pixels of one colour each, into
// <runtime_dir>/p_orvi (made when missing), where the saver leaves them.
bool WriteTextures(const std::string& runtime_dir);

// Starts the built Oruna.dll as the saver does: without arguments, with the
// textures' runtime folder as XDG_RUNTIME_DIR and `extra` in its environment.
std::unique_ptr<ChildProcess> StartRenderer(const std::string& runtime_dir,
                                            const std::map<std::string, std::string>& extra = {});

// True once a 1024x768 picture at the screen's top-left corner shows the
// scene: its middle, where the sphere is, is no longer black.
bool WaitForPicture(X11Connection& x11);

}  // namespace oruna::test
