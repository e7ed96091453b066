// Labels and images draw themselves into any device context they are given (WM_PRINTCLIENT), the
// way they draw on screen: window animations and screenshots of the dialog rely on it.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>

#include "test_form.h"
#include "win/framework/controls.h"

namespace qv::win {
namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);

// A 32-bit bitmap of w x h filled with kUntouched, into which a window prints its client area;
// the colours found in it, counted.
std::map<COLORREF, int> PrintedColours(HWND window, int w, int h) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(info.bmiHeader), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, w, h};
  HBRUSH fill = CreateSolidBrush(kUntouched);
  FillRect(dc, &all, fill);
  DeleteObject(fill);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  std::map<COLORREF, int> counts;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) ++counts[GetPixel(dc, x, y)];
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return counts;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

TEST(PrintClientTest, LabelsAndImagesPrintTheirWholeClientArea) {
  TestForm form;
  form.CreateHidden();
  const Color green = 0x0000FF00, blue = 0x00FF0000, white = 0x00FFFFFF;
  Label label;
  label.CreateIn(form.Handle(), 4, 4, "共有名:", green);
  label.SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  label.SetFontColor(blue);
  Image image;
  // No icon of that number in the test program: only its background is drawn.
  image.CreateIn(form.Handle(), 4, 40, 32, 32, 999, white);

  struct Case {
    const char* what;
    HWND window;
    COLORREF background;
    COLORREF ink;  // kUntouched: none expected
  } cases[] = {
      {"label", label.Handle(), RGB(0, 255, 0), RGB(0, 0, 255)},
      {"image", image.Handle(), RGB(255, 255, 255), kUntouched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const SIZE size = ClientSize(c.window);
    ASSERT_GT(size.cx, 0);
    ASSERT_GT(size.cy, 0);
    std::map<COLORREF, int> counts = PrintedColours(c.window, size.cx, size.cy);
    EXPECT_EQ(counts[kUntouched], 0) << "part of the client area was not drawn";
    EXPECT_GT(counts[c.background], size.cx * size.cy / 3);
    if (c.ink != kUntouched) {
      EXPECT_GT(counts[c.ink], 5) << "no text";
    }
  }
}

}  // namespace
}  // namespace qv::win
