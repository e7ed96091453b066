// The dialog on screens of 100, 125, 150 and 200 % scaling: laid out from the DPI it is given,
// every control where the 96-DPI layout times the scale puts it, texts and captions whole.
// Wine passes the DPI of `HKCU\Control Panel\Desktop\LogPixels` to every process started after
// it is set; rectangles read from here are real pixels (this driver is not DPI-aware).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "png_file.h"

namespace qv::e2e {
namespace {

// Sets the DPI for processes started from now on; 96 again when it goes, also on failure.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) { Set(dpi); }
  ~ScreenDpi() { Set(96); }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

 private:
  static void Set(DWORD dpi) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                             sizeof(dpi)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
};

// The designed font at a DPI, as the dialog makes it: the icon-title font's face, the height
// -12 scaled.
SIZE TextExtent(const std::wstring& text, int dpi) {
  LOGFONTW lf{};
  SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0);
  const std::wstring face = lf.lfFaceName[0] ? lf.lfFaceName : L"ＭＳ Ｐゴシック";
  LOGFONTW font{};
  font.lfHeight = -static_cast<LONG>(std::floor(12.0 * dpi / 96 + 0.5));
  font.lfCharSet = SHIFTJIS_CHARSET;
  face.copy(font.lfFaceName, LF_FACESIZE - 1);
  HFONT handle = CreateFontIndirectW(&font);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, handle);
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(handle);
  return size;
}

struct Observed {
  RECT client{};
  std::vector<ChildWindow> children;
};

// The caption's dark pixels inside a button, with the frame's rings (two of `ring` pixels)
// left out: their bounding box, relative to the button, and how many there are.
struct CaptionPixels {
  int count = 0;
  RECT box{100000, 100000, -1, -1};
};

CaptionPixels DarkInside(const RECT& r, int ring) {
  CaptionPixels found;
  for (int y = r.top + 2 * ring; y < r.bottom - 2 * ring; ++y) {
    for (int x = r.left + 2 * ring; x < r.right - 2 * ring; ++x) {
      if (GetRValue(ReadScreenPixel(x, y)) >= 100) continue;
      ++found.count;
      found.box.left = std::min<LONG>(found.box.left, x - r.left);
      found.box.top = std::min<LONG>(found.box.top, y - r.top);
      found.box.right = std::max<LONG>(found.box.right, x - r.left + 1);
      found.box.bottom = std::max<LONG>(found.box.bottom, y - r.top + 1);
    }
  }
  return found;
}

int Scaled(int value, int dpi) { return static_cast<int>(std::floor(value * dpi / 96.0 + 0.5)); }

Observed ShowAt(int dpi) {
  ScreenDpi setting(static_cast<DWORD>(dpi));
  Tool tool;
  HWND dialog = tool.WaitForDialog();
  Observed seen;
  EXPECT_NE(dialog, nullptr);
  if (!dialog) return seen;
  // The focus away from the buttons, so that no dotted focus rectangle lies on a face.
  if (auto name = FindChildByText(dialog, L"VeltoData")) {
    ClickCentre(name->hwnd);
    EXPECT_TRUE(WaitForFocus(dialog, name->hwnd));
  }
  Sleep(500);
  GetClientRect(dialog, &seen.client);
  seen.children = ListChildren(dialog);
  // The measured layout, for the log.
  std::printf("DPI %d: client %ldx%ld\n", dpi, seen.client.right, seen.client.bottom);
  for (const ChildWindow& c : seen.children) {
    std::printf("  %-10s (%ld,%ld %ldx%ld) %s\n", WideToUtf8(c.className).c_str(), c.formRect.left,
                c.formRect.top, c.formRect.right - c.formRect.left,
                c.formRect.bottom - c.formRect.top, WideToUtf8(c.text).c_str());
  }

  // The picture of the whole window, kept in the build folder.
  CreateDirectoryW(BuildPath("screenshots").c_str(), nullptr);
  const std::string name = "screenshots/dpi-" + std::to_string(dpi);
  SaveScreenshot(BuildPath(name + ".bmp"), ScreenRectOf(dialog));
  BmpToPng(WideToUtf8(BuildPath(name + ".bmp")), WideToUtf8(BuildPath(name + ".png")));
  DeleteFileW(BuildPath(name + ".bmp").c_str());

  // Labels: the text in the font of this DPI fits the label.
  for (const ChildWindow& c : seen.children) {
    if (c.className != L"TLabel" || c.text.empty()) continue;
    SCOPED_TRACE(WideToUtf8(c.text));
    const SIZE text = TextExtent(c.text, dpi);
    EXPECT_LE(text.cx, c.rect.right - c.rect.left);
    EXPECT_LE(text.cy, c.rect.bottom - c.rect.top);
  }
  // Buttons: a white-to-silver face, and the caption on it, clear of the frame and centred.
  const int ring = Scaled(1, dpi);
  for (const ChildWindow& c : seen.children) {
    if (c.className != L"TxPlButton") continue;
    SCOPED_TRACE(WideToUtf8(c.text));
    const RECT r = ScreenRectOf(c.hwnd);
    const COLORREF top = ReadScreenPixel(r.left + 2 * ring + 1, r.top + 2 * ring);
    const COLORREF bottom = ReadScreenPixel(r.left + 2 * ring + 1, r.bottom - 2 * ring - 1);
    EXPECT_GE(GetRValue(top), 240);
    EXPECT_NEAR(GetRValue(bottom), 196, 6);
    const CaptionPixels caption = DarkInside(r, ring);
    EXPECT_GT(caption.count, 10 * ring * ring);
    EXPECT_GT(caption.box.left, 2 * ring);
    EXPECT_GT(caption.box.top, 2 * ring);
    EXPECT_LT(caption.box.right, r.right - r.left - 2 * ring);
    EXPECT_LT(caption.box.bottom, r.bottom - r.top - 2 * ring);
    const int width = r.right - r.left;
    EXPECT_NEAR((caption.box.left + caption.box.right) / 2.0, width / 2.0, 2 + ring);
  }
  tool.CloseDialog(dialog);
  return seen;
}

TEST(DpiE2E, EveryControlIsItsDesignedRectangleTimesTheScale) {
  LargeScreen screen;
  ASSERT_TRUE(screen.Changed())
      << "the virtual screen cannot be made 1280x1024 (the X screen must be at least that)";
  const Observed reference = ShowAt(96);
  ASSERT_GE(reference.children.size(), 17u);
  for (int dpi : {120, 144, 192}) {
    SCOPED_TRACE("DPI " + std::to_string(dpi));
    const double scale = dpi / 96.0;
    const Observed seen = ShowAt(dpi);
    EXPECT_NEAR(seen.client.right, reference.client.right * scale, 1);
    EXPECT_NEAR(seen.client.bottom, reference.client.bottom * scale, 1);
    ASSERT_EQ(seen.children.size(), reference.children.size());
    for (std::size_t i = 0; i < reference.children.size(); ++i) {
      const ChildWindow& want = reference.children[i];
      const ChildWindow& got = seen.children[i];
      SCOPED_TRACE(WideToUtf8(want.className) + " " + WideToUtf8(want.text));
      EXPECT_EQ(got.className, want.className);
      EXPECT_NEAR(got.formRect.left, want.formRect.left * scale, 1);
      EXPECT_NEAR(got.formRect.top, want.formRect.top * scale, 1);
      // Labels are sized by their text; everything else is sized by the layout.
      if (want.className != L"TLabel") {
        EXPECT_NEAR(got.rect.right - got.rect.left, (want.rect.right - want.rect.left) * scale, 1);
        EXPECT_NEAR(got.rect.bottom - got.rect.top, (want.rect.bottom - want.rect.top) * scale, 1);
      }
    }
  }
}

// Our own message box follows the screen too: its buttons (75 x 25 at 96 DPI) and its icon grow
// with the scale, as the system's boxes do.
TEST(DpiE2E, TheMessageBoxIsScaledToo) {
  LargeScreen screen;
  ASSERT_TRUE(screen.Changed());
  for (int dpi : {96, 144}) {
    SCOPED_TRACE("DPI " + std::to_string(dpi));
    ScreenDpi setting(static_cast<DWORD>(dpi));
    Tool tool;
    HWND dialog = tool.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    auto share = FindChildByText(dialog, L"共有");
    ASSERT_TRUE(share.has_value());
    ClickControl(*share);  // the default folder is missing: the creation question comes
    auto box = tool.WaitForBox();
    ASSERT_TRUE(box.has_value());
    ASSERT_EQ(box->buttons.size(), 2u);
    for (const ChildWindow& button : box->buttons) {
      EXPECT_NEAR(button.rect.right - button.rect.left, Scaled(75, dpi), 1);
      EXPECT_NEAR(button.rect.bottom - button.rect.top, Scaled(25, dpi), 1);
    }
    ASSERT_TRUE(AnswerBox(*box, L"キャンセル"));
    tool.CloseDialog(dialog);
  }
}

}  // namespace
}  // namespace qv::e2e
