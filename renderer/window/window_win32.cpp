// Renderer window on Windows: the "OpenGL" window class, the full-screen
// display mode with its silent windowed fallback, the WGL context, the
// foreground taken and checked, the PeekMessage loop (paced to the display
// where the swap does not wait, sleeping while the window is minimised or the
// screen is dark) with its 256-entry key table and the ordered teardown.
#include "gl_include.h"  // <windows.h> before everything else

#include <mmsystem.h>

#include "dark_screen_win32.h"
#include "frame_pacer.h"
#include "monitor_cover.h"
#include "renderer_window.h"
#include "scene.h"

namespace oruna {
namespace {

struct RendererState {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;
  HDC dc = nullptr;
  HGLRC context = nullptr;
  bool fullscreen = true;
  bool active = true;
  bool keys[256] = {};
  // A press and its release can both be queued before an idle pass (a quick
  // tap during a slow frame); the press is kept until an idle pass saw it.
  bool escape_pressed = false;
  DarkScreenWatch dark_screen;  // display off or session locked: nothing is drawn
};
RendererState g;

const char kClassName[] = "OpenGL";

LRESULT CALLBACK RendererWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ACTIVATE:
      g.active = HIWORD(wparam) == 0;  // cleared only while minimised
      return 0;
    case WM_SYSCOMMAND:
      // Neither the system screen saver nor monitor power-down while we run.
      if (wparam == SC_SCREENSAVE || wparam == SC_MONITORPOWER) return 0;
      break;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      if (wparam < 256) g.keys[wparam] = true;
      if (wparam == VK_ESCAPE) g.escape_pressed = true;
      return 0;
    case WM_KEYUP:
      if (wparam < 256) g.keys[wparam] = false;
      return 0;
    case WM_SIZE:
      ResizeView(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_POWERBROADCAST:
      g.dark_screen.OnMessage(message, wparam, lparam);
      return TRUE;
    case WM_WTSSESSION_CHANGE:
      g.dark_screen.OnMessage(message, wparam, lparam);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool RegisterRendererClass() {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  wc.lpfnWndProc = RendererWindowProc;
  wc.hInstance = g.instance;
  wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_WINLOGO));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) != 0;
}

void RequestDisplayMode(int width, int height, int bits) {
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof(mode));
  // dmSize tells Windows which form of the structure it gets. For the
  // Windows versions this build targets, the ANSI form ends with the two
  // panning fields and is 156 bytes (148 without them, the older form, which
  // Windows accepts too).
  static_assert(sizeof(DEVMODEA) == 156, "the ANSI DEVMODE with its panning fields");
  mode.dmSize = sizeof(mode);
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmBitsPerPel = static_cast<DWORD>(bits);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) g.fullscreen = false;
}

const PIXELFORMATDESCRIPTOR& PixelFormat(int bits) {
  static PIXELFORMATDESCRIPTOR pfd;  // every field not set here stays zero
  if (pfd.nSize == 0) {
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(bits);
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
  }
  return pfd;
}

bool CreateContext(int bits) {
  g.dc = GetDC(g.window);
  if (g.dc == nullptr) return false;
  const PIXELFORMATDESCRIPTOR& pfd = PixelFormat(bits);
  const int format = ChoosePixelFormat(g.dc, &pfd);
  if (format == 0 || !SetPixelFormat(g.dc, format, &pfd)) return false;
  g.context = wglCreateContext(g.dc);
  return g.context != nullptr && wglMakeCurrent(g.dc, g.context);
}

// Vsync through WGL_EXT_swap_control where the driver offers it.
void RequestVsync() {
  using SwapInterval = BOOL(WINAPI*)(int);
  const PROC proc = wglGetProcAddress("wglSwapIntervalEXT");
  if (proc != nullptr) reinterpret_cast<SwapInterval>(reinterpret_cast<void*>(proc))(1);
}

// Blacks out every monitor around the renderer's window (its outer
// rectangle: the windowed fallback's frame stays visible).
void CoverTheRest() {
  RECT r{};
  if (!GetWindowRect(g.window, &r)) return;
  CoverOtherMonitors(NativeWindow{reinterpret_cast<std::uintptr_t>(g.window)},
                     {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right - r.left),
                      static_cast<int>(r.bottom - r.top)},
                     g.fullscreen);
}

// Where Windows refuses the switch (its foreground lock), a top-most picture
// would cover the desktop while the keys, Escape included, went to the
// program the user left; so the switch is checked and tried again a few
// times. The saver allows it (AllowSetForegroundWindow) as it starts us.
constexpr int kForegroundAttempts = 5;
constexpr DWORD kForegroundRetryMs = 50;

void TakeForeground() {
  for (int attempt = 1; attempt <= kForegroundAttempts; ++attempt) {
    SetForegroundWindow(g.window);
    if (GetForegroundWindow() == g.window || attempt == kForegroundAttempts) break;
    Sleep(kForegroundRetryMs);
  }
  SetFocus(g.window);
}

}  // namespace

bool RendererFullscreen() { return g.fullscreen; }
bool RendererActive() { return g.active; }

bool CreateRendererWindow(const char* title, int width, int height, int bits, bool fullscreen) {
  g.fullscreen = fullscreen;
  RECT rect{0, 0, width, height};
  g.instance = GetModuleHandleA(nullptr);
  if (!RegisterRendererClass()) return false;
  if (g.fullscreen) RequestDisplayMode(width, height, bits);  // refused: a window, silently
  const DWORD ex_style = g.fullscreen ? WS_EX_APPWINDOW : WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
  // The fallback window has a dialog frame and no caption. WS_DLGFRAME alone
  // makes an overlapped window, which always gets a caption and a client
  // area 19 pixels short; as a pop-up it keeps just the frame.
  const DWORD style = g.fullscreen ? WS_POPUP : WS_POPUP | WS_DLGFRAME;
  if (g.fullscreen) ShowCursor(FALSE);
  AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  g.window = CreateWindowExA(ex_style, kClassName, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                             rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, g.instance,
                             nullptr);
  if (g.window != nullptr && CreateContext(bits)) {
    RequestVsync();
    ShowWindow(g.window, SW_SHOW);
    TakeForeground();
    ResizeView(width, height);
    if (InitScene()) {
      CoverTheRest();
      g.dark_screen.Start(g.window);
      return true;
    }
  }
  DestroyRendererWindow();
  return false;
}

void DestroyRendererWindow() {
  if (g.window != nullptr) g.dark_screen.Stop(g.window);
  RemoveMonitorCovers();
  if (g.fullscreen) {
    ChangeDisplaySettingsA(nullptr, 0);  // back to the registry mode
    ShowCursor(TRUE);
  }
  if (g.context != nullptr) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(g.context);
    g.context = nullptr;
  }
  if (g.dc != nullptr) {
    ReleaseDC(g.window, g.dc);
    g.dc = nullptr;
  }
  if (g.window != nullptr) {
    DestroyWindow(g.window);
    g.window = nullptr;
  }
  UnregisterClassA(kClassName, g.instance);
}

// The display's refresh rate, 0 when it is not known (1 means "the
// hardware's default" and tells nothing either).
int RefreshRate() {
  const int hz = GetDeviceCaps(g.dc, VREFRESH);
  return hz > 1 ? hz : 0;
}

// Sleeps until a message arrives or `ms` pass (forever for INFINITE), also
// for messages already in the queue that an earlier look saw.
void WaitForMessage(DWORD ms) { MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE); }

int RunRendererLoop() {
  // Waits of a few milliseconds need a finer system timer than the default
  // 15.6 ms tick; it is given back when the loop ends.
  timeBeginPeriod(1);
  FramePacer pacer(RefreshRate());
  MSG msg{};
  for (;;) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      continue;
    }
    // Checked on every idle pass, so Escape works even while minimised; and
    // before drawing, so that the user does not wait for a frame nobody sees.
    if (g.keys[VK_ESCAPE] || g.escape_pressed) break;
    if (!g.active || g.dark_screen.dark()) {
      WaitForMessage(INFINITE);  // nothing to show: sleep until something happens
      continue;
    }
    const auto start = FramePacer::Clock::now();
    if (const int wait_ms = WaitMilliseconds(pacer.TimeToNextFrame(start)); wait_ms > 0) {
      WaitForMessage(static_cast<DWORD>(wait_ms));  // messages (Escape) still end the wait
      continue;
    }
    DrawFrame();
    SwapBuffers(g.dc);
    pacer.FrameDone(start, FramePacer::Clock::now());
  }
  timeEndPeriod(1);
  return static_cast<int>(msg.wParam);
}

}  // namespace oruna
