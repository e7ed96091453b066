// The dialog's window at another DPI, through the message a per-monitor-aware window gets when
// it is moved to a screen of another scale (WM_DPICHANGED), and the per-DPI measures it uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "win/app/share_dialog_window.h"
#include "win/framework/dpi.h"

namespace qv::win {
namespace {

std::wstring ClassOf(HWND w) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  return name;
}

// Every descendant's rectangle in the dialog's client coordinates, by creation order.
std::vector<std::pair<HWND, RECT>> ChildRects(HWND dialog) {
  std::vector<std::pair<HWND, RECT>> out;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM p) -> BOOL {
        auto& list = *reinterpret_cast<std::vector<std::pair<HWND, RECT>>*>(p);
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetAncestor(child, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
        list.push_back({child, r});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

void SendDpiChange(HWND dialog, int dpi, RECT suggested) {
  SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST(DpiMeasures, AtTheTestPrefixsDpiTheyAreTheSystemsOwn) {
  const int dpi = DpiOfWindow(GetDesktopWindow());
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(dpi, GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  const SIZE frame = FrameSizeForDpi(style, WS_EX_CONTROLPARENT, dpi);
  EXPECT_EQ(frame.cx, r.right - r.left);
  EXPECT_EQ(frame.cy, r.bottom - r.top);
  EXPECT_EQ(SystemMetricForDpi(SM_CXSMICON, dpi), GetSystemMetrics(SM_CXSMICON));
  // At twice the DPI the frame and the small icon grow.
  EXPECT_GT(FrameSizeForDpi(style, WS_EX_CONTROLPARENT, 2 * dpi).cy, frame.cy);
  EXPECT_GT(SystemMetricForDpi(SM_CXSMICON, 2 * dpi), GetSystemMetrics(SM_CXSMICON));
}

// The dialog told it is now on a 120-DPI screen takes the suggested rectangle and lays every
// control out at 125 %; told it is back on a 96-DPI screen, every control returns to its place.
// (125 %: the test screen is 800 x 600, and a window may not grow beyond it.)
TEST(DialogDpiChange, EveryControlFollowsTheNewScaleAndComesBack) {
  ShareDialogWindow window;
  window.CreateWindowAndControls();
  HWND dialog = window.Handle();
  ASSERT_TRUE(dialog);
  const int dpi = DpiOfWindow(dialog);
  ASSERT_EQ(dpi, 96) << "the test prefix is expected at 96 DPI";

  RECT outer96;
  GetWindowRect(dialog, &outer96);
  RECT client96;
  GetClientRect(dialog, &client96);
  const auto before = ChildRects(dialog);
  ASSERT_GE(before.size(), 17u);

  const RECT suggested{10, 20, 10 + (outer96.right - outer96.left) * 5 / 4,
                       20 + (outer96.bottom - outer96.top) * 5 / 4};
  SendDpiChange(dialog, 120, suggested);
  RECT outer;
  GetWindowRect(dialog, &outer);
  EXPECT_EQ(outer.left, suggested.left);
  EXPECT_EQ(outer.top, suggested.top);
  EXPECT_EQ(outer.right, suggested.right);
  EXPECT_EQ(outer.bottom, suggested.bottom);

  const auto after = ChildRects(dialog);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    const RECT& a = before[i].second;
    const RECT& b = after[i].second;
    const std::wstring cls = ClassOf(before[i].first);
    SCOPED_TRACE(std::string(cls.begin(), cls.end()) + " #" + std::to_string(i));
    EXPECT_NEAR(b.left, a.left * 1.25, 1);
    EXPECT_NEAR(b.top, a.top * 1.25, 1);
    if (cls == L"TLabel") {
      // Sized by its text in the larger font: taller, and wider unless empty.
      if (a.right > a.left) {
        EXPECT_GT(b.right - b.left, a.right - a.left);
      }
      EXPECT_GT(b.bottom - b.top, a.bottom - a.top);
    } else if (cls == L"TPanel") {
      RECT client;
      GetClientRect(dialog, &client);
      EXPECT_EQ(b.right - b.left, client.right);  // across the whole client width
      EXPECT_NEAR(b.bottom - b.top, 97 * 1.25, 1);
    } else {
      EXPECT_NEAR(b.right - b.left, (a.right - a.left) * 1.25, 1);
      EXPECT_NEAR(b.bottom - b.top, (a.bottom - a.top) * 1.25, 1);
    }
  }

  // Back on a 96-DPI screen: exactly the first layout.
  SendDpiChange(dialog, 96, outer96);
  const auto back = ChildRects(dialog);
  ASSERT_EQ(back.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(EqualRect(&back[i].second, &before[i].second));
  }
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, client96.right);
  EXPECT_EQ(client.bottom, client96.bottom);
  DestroyWindow(dialog);
  // The dialog is a main form: its going posts the quit message, which is not this test's.
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace qv::win
