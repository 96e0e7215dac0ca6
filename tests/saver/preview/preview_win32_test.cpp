// The preview window in a pane of this same process, where its painting can
// be read back (Wine does not show a child window that another process
// paints): it covers the pane with the stretched picture, follows the
// pane's size, and its loop ends when the pane is destroyed.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "builtin_pictures.h"
#include "preview.h"
#include "wine_test_util.h"

namespace oruna {
namespace {

using namespace std::chrono_literals;

HWND MakePane(int width, int height) {
  WNDCLASSA pane_class{};
  pane_class.lpfnWndProc = DefWindowProcA;
  pane_class.hInstance = GetModuleHandleA(nullptr);
  pane_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  pane_class.lpszClassName = "OrunaTestPane";
  RegisterClassA(&pane_class);
  return CreateWindowExA(0, "OrunaTestPane", "pane", WS_POPUP | WS_VISIBLE, 50, 40, width, height, nullptr,
                         nullptr, pane_class.hInstance, nullptr);
}

COLORREF PixelOf(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

// The picture's pixel at a fraction of its width and height.
COLORREF PictureAt(const DecodedPicture& picture, double fx, double fy) {
  const size_t x = static_cast<size_t>(fx * (picture.width - 1)), y = static_cast<size_t>(fy * (picture.height - 1));
  const uint8_t* p = &picture.rgb[(y * picture.width + x) * 3];
  return RGB(p[0], p[1], p[2]);
}

bool Near(COLORREF a, COLORREF b, int tolerance = 40) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

TEST(PreviewWindow, StretchesThePictureOverThePaneAndEndsWithIt) {
  const HWND pane = MakePane(304, 112);  // twice as wide as the picture
  ASSERT_NE(pane, nullptr);
  std::unique_ptr<Preview> preview = StartPreviewWindow(reinterpret_cast<intptr_t>(pane));
  ASSERT_TRUE(preview);
  const HWND child = FindWindowExA(pane, nullptr, nullptr, "Preview Window");
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_EQ(GetParent(child), pane);
  RECT client{};
  GetClientRect(child, &client);
  EXPECT_EQ(client.right, 304);
  EXPECT_EQ(client.bottom, 112);

  const DecodedPicture picture = DecodePicture(Picture::Preview);
  ASSERT_EQ(picture.width, 152);
  test::WaitFor([] { return false; }, 300ms);  // lets it paint
  for (const auto& [fx, fy] : {std::pair{0.5, 0.5}, {0.25, 0.5}, {0.02, 0.02}, {0.9, 0.7}}) {
    const COLORREF seen = PixelOf(child, static_cast<int>(fx * 303), static_cast<int>(fy * 111));
    EXPECT_TRUE(Near(seen, PictureAt(picture, fx, fy)))
        << "at " << fx << "," << fy << ": " << int(GetRValue(seen)) << " " << int(GetGValue(seen)) << " "
        << int(GetBValue(seen));
  }

  // The pane grows: the preview follows.
  SetWindowPos(pane, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(test::WaitFor([&] { return GetClientRect(child, &client) && client.right == 400 && client.bottom == 300; },
                            5s));

  // The pane goes, and the preview with it: its loop returns.
  DestroyWindow(pane);
  EXPECT_FALSE(IsWindow(child));
  preview->Run();
}

TEST(PreviewWindow, NoPaneNoPreview) {
  EXPECT_FALSE(StartPreviewWindow(0));
  EXPECT_FALSE(StartPreviewWindow(-5));
  const HWND gone = MakePane(10, 10);
  DestroyWindow(gone);
  EXPECT_FALSE(StartPreviewWindow(reinterpret_cast<intptr_t>(gone)));
}

}  // namespace
}  // namespace oruna
