// The test GL context on Windows: a hidden window with a WGL context.
#include <windows.h>

#include "gl_test_context.h"

namespace oruna::test {
namespace {

HDC g_dc = nullptr;
HGLRC g_context = nullptr;

bool CreateContext() {
  WNDCLASSA window_class{};
  window_class.style = CS_OWNDC;
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "OrunaGlTest";
  if (RegisterClassA(&window_class) == 0) return false;
  HWND window = CreateWindowA("OrunaGlTest", "gl test", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                              window_class.hInstance, nullptr);
  if (window == nullptr) return false;
  g_dc = GetDC(window);
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof format;
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = 24;
  format.cDepthBits = 16;
  const int index = ChoosePixelFormat(g_dc, &format);
  if (index == 0 || !SetPixelFormat(g_dc, index, &format)) return false;
  g_context = wglCreateContext(g_dc);
  return g_context != nullptr;
}

}  // namespace

// The window and context live until the process ends.
bool UseGlContext() {
  static const bool created = CreateContext();
  return created && wglMakeCurrent(g_dc, g_context);
}

}  // namespace oruna::test
