// A GL context for tests that upload or draw inside the test program itself.
#pragma once

namespace oruna::test {

// Makes a GL context current on a small hidden window, created on the first
// call and kept until the program ends (on Linux on a private Xvfb). False
// when no context could be made.
bool UseGlContext();

}  // namespace oruna::test
