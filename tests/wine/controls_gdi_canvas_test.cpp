// The plain button painted with real GDI into a memory bitmap, pixels checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/plain_button.h"
#include "win/controls/gdi_canvas.h"
#include "win/framework/gdi.h"

namespace qv::win {
namespace {

// A button with no window: nothing to repaint, focus as the test says.
class QuietHost : public IPlainButtonHost {
 public:
  bool active = false;
  void RepaintNow() override {}
  void ScheduleRepaint() override {}
  void SetFocus() override {}
  bool IsActiveControl() const override { return active; }
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HoldsCapture() const override { return false; }
  void TrackMouseLeave() override {}
  KeyboardState ReadKeyboardState() const override { return {}; }
  Point CursorClientPos() const override { return {}; }
  void SetRoundShape(const Rect&, int, int) override {}
  void ClearShape() override {}
  bool SetFormModalResult(std::int32_t) override { return false; }
  void ApplyBounds(int, int, int, int) override {}
  void ApplyEnabled(bool) override {}
  void ApplyVisible(bool) override {}
  void ApplyWindowText(const AnsiString&) override {}
};

// A 32-bit top-down DIB selected into a memory DC: what is drawn can be read back exactly.
class Surface {
 public:
  Surface(int w, int h) : w_(w), h_(h), dc_(nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    selected_ = std::make_unique<SelectedObject>(dc_.get(), bitmap_.get());
    Fill(RGB(1, 2, 3));
  }
  HDC dc() const { return dc_.get(); }
  COLORREF At(int x, int y) const { return GetPixel(dc_.get(), x, y); }
  void Fill(COLORREF c) {
    UniqueBrush brush(CreateSolidBrush(c));
    RECT r{0, 0, w_, h_};
    FillRect(dc_.get(), &r, brush.get());
  }

 private:
  int w_, h_;
  MemoryDC dc_;
  UniqueBitmap bitmap_;
  std::unique_ptr<SelectedObject> selected_;
};

COLORREF Grey(int v) { return RGB(v, v, v); }

class GdiCanvasTest : public testing::Test {
 protected:
  GdiCanvasTest() {
    button.SetBounds(0, 0, 81, 26);
    button.SetFont(Font{"ＭＳ Ｐゴシック", -12, SHIFTJIS_CHARSET, clWindowText, 0});
  }
  void Paint() {
    GdiCanvas canvas(surface.dc());
    button.Paint(canvas);
  }

  QuietHost host;
  PlainButton button{host};
  Surface surface{81, 26};
};

TEST_F(GdiCanvasTest, DefaultButtonHasTheGradationAndARaisedEdge) {
  Paint();
  const int expected[26] = {255, 253, 250, 248, 245, 243, 240, 238, 235, 233, 230, 228, 225,
                            223, 220, 218, 215, 213, 210, 208, 205, 203, 200, 198, 195, 192};
  for (int y = 2; y < 24; ++y) {
    EXPECT_EQ(surface.At(2, y), Grey(expected[y])) << "row " << y;
    EXPECT_EQ(surface.At(78, y), Grey(expected[y])) << "row " << y;
  }
  // The raised edge: light outer and highlight inner ring at the top and left, dark outer and
  // shadow inner ring at the bottom and right.
  for (int x = 1; x < 79; ++x) {
    EXPECT_EQ(surface.At(x, 0), GetSysColor(COLOR_3DLIGHT)) << x;
    EXPECT_EQ(surface.At(x, 1), GetSysColor(COLOR_BTNHIGHLIGHT)) << x;
    EXPECT_EQ(surface.At(x, 25), GetSysColor(COLOR_3DDKSHADOW)) << x;
    EXPECT_EQ(surface.At(x, 24), GetSysColor(COLOR_BTNSHADOW)) << x;
  }
  for (int y = 1; y < 24; ++y) {
    EXPECT_EQ(surface.At(0, y), GetSysColor(COLOR_3DLIGHT)) << y;
    EXPECT_EQ(surface.At(80, y), GetSysColor(COLOR_3DDKSHADOW)) << y;
  }
}

TEST_F(GdiCanvasTest, WithoutAFrameTopRowIsWhiteAndBottomRowSilver) {
  button.SetButtonStyle(PlainButtonStyle::FlatNoFrame);
  Paint();
  for (int x = 0; x < 81; ++x) {
    EXPECT_EQ(surface.At(x, 0), RGB(255, 255, 255)) << x;
    EXPECT_EQ(surface.At(x, 25), RGB(192, 192, 192)) << x;
  }
}

TEST_F(GdiCanvasTest, CaptionIsDrawnCentredInTheTextColour) {
  button.CaptionA().SetCaption("共有");
  Paint();
  int height = 0, width = 0;
  {
    GdiCanvas measure(surface.dc());
    measure.SetFont(button.Font());
    height = measure.TextHeight("共有");
    width = measure.TextWidth("共有");
  }
  ASSERT_GT(height, 8);
  ASSERT_GT(width, 12);
  EXPECT_EQ(button.CaptionTop(), (26 - height) / 2 + 1);
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  int inside = 0, outside = 0;
  for (int y = 2; y < 24; ++y) {
    for (int x = 2; x < 79; ++x) {
      const bool isText = surface.At(x, y) == text;
      const bool inBox = x >= 40 - width / 2 - 1 && x <= 40 + width / 2 + 1 &&
                         y >= button.CaptionTop() && y < button.CaptionTop() + height;
      (inBox ? inside : outside) += isText;
    }
  }
  EXPECT_GT(inside, 20);
  EXPECT_EQ(outside, 0);
}

TEST_F(GdiCanvasTest, FocusRectangleIsDottedThreePixelsInside) {
  Paint();
  std::vector<COLORREF> before;
  for (int x = 0; x < 81; ++x) before.push_back(surface.At(x, 3));
  const COLORREF row2 = surface.At(40, 2);
  {
    GdiCanvas canvas(surface.dc());
    button.DrawFocus(canvas);
  }
  int changed = 0;
  for (int x = 3; x < 78; ++x) changed += surface.At(x, 3) != before[static_cast<size_t>(x)];
  EXPECT_GT(changed, 20);  // every other pixel
  EXPECT_LT(changed, 75);
  EXPECT_EQ(surface.At(2, 3), before[2]);
  EXPECT_EQ(surface.At(78, 3), before[78]);
  EXPECT_EQ(surface.At(40, 2), row2);
}

TEST_F(GdiCanvasTest, RoundedStyleOutlineAndFocus) {
  host.active = true;
  button.SetButtonStyle(PlainButtonStyle::RoundRect);
  Paint();
  EXPECT_EQ(surface.At(40, 0), RGB(0x75, 0x75, 0x75));
  EXPECT_EQ(surface.At(40, 25), RGB(0x75, 0x75, 0x75));
  EXPECT_EQ(surface.At(0, 13), RGB(0x75, 0x75, 0x75));
  EXPECT_EQ(surface.At(0, 0), Grey(255));  // the corner lies outside the outline
  // The focus outline sets every other pixel of its top side in dark grey.
  int dark = 0;
  for (int x = 8; x < 73; ++x) dark += surface.At(x, 2) == RGB(0x20, 0x20, 0x20);
  EXPECT_GT(dark, 25);
  EXPECT_LT(dark, 40);
}

HBITMAP TwoColourBitmap(COLORREF left, COLORREF right) {
  ClientDC screen(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), 16, 16);
  MemoryDC dc(screen.get());
  SelectedObject sel(dc.get(), bitmap);
  UniqueBrush l(CreateSolidBrush(left)), r(CreateSolidBrush(right));
  RECT a{0, 0, 8, 16}, b{8, 0, 16, 16};
  FillRect(dc.get(), &a, l.get());
  FillRect(dc.get(), &b, r.get());
  return bitmap;
}

TEST_F(GdiCanvasTest, BitmapPictureIsDrawnCentredAndEmbossedWhenDisabled) {
  Picture picture;
  picture.SetGraphic(std::make_shared<GdiBitmap>(TwoColourBitmap(RGB(255, 0, 0), RGB(255, 0, 0))));
  button.Image().SetPicture(picture);
  Paint();
  EXPECT_EQ(surface.At(10, 5), RGB(255, 0, 0));  // Left 10, Top (26 - 16) div 2
  EXPECT_EQ(surface.At(25, 20), RGB(255, 0, 0));
  EXPECT_NE(surface.At(26, 13), RGB(255, 0, 0));
  EXPECT_NE(surface.At(9, 13), RGB(255, 0, 0));

  button.SetEnabled(false);
  Paint();
  int red = 0;
  for (int y = 5; y < 21; ++y) {
    for (int x = 10; x < 26; ++x) red += surface.At(x, y) == RGB(255, 0, 0);
  }
  EXPECT_EQ(red, 0);
}

TEST_F(GdiCanvasTest, TransparentBitmapLeavesOutItsBottomLeftColour) {
  Picture picture;
  picture.SetGraphic(std::make_shared<GdiBitmap>(TwoColourBitmap(RGB(0, 255, 0), RGB(255, 0, 0))));
  ASSERT_EQ(picture.Graphic()->Pixel(0, 15), RGB(0, 255, 0));
  button.Image().SetPicture(picture);
  button.Image().SetTransparent(true);
  Paint();
  EXPECT_EQ(surface.At(12, 10), Grey(230));  // the green half shows the gradation (row 10)
  EXPECT_EQ(surface.At(20, 10), RGB(255, 0, 0));
}

TEST_F(GdiCanvasTest, IconPictureIsDrawn) {
  ICONINFO info{};
  info.fIcon = TRUE;
  UniqueBitmap mask(CreateBitmap(16, 16, 1, 1, nullptr));
  {
    MemoryDC dc(nullptr);
    SelectedObject sel(dc.get(), mask.get());
    PatBlt(dc.get(), 0, 0, 16, 16, BLACKNESS);  // opaque everywhere
  }
  UniqueBitmap colour(TwoColourBitmap(RGB(0, 0, 255), RGB(0, 0, 255)));
  info.hbmMask = mask.get();
  info.hbmColor = colour.get();
  Picture picture;
  auto icon = std::make_shared<GdiIcon>(CreateIconIndirect(&info));
  ASSERT_EQ(icon->Width(), 16);
  ASSERT_EQ(icon->Height(), 16);
  picture.SetGraphic(icon);
  button.Image().SetPicture(picture);
  Paint();
  EXPECT_EQ(surface.At(12, 10), RGB(0, 0, 255));
}

TEST_F(GdiCanvasTest, DeviceContextIsHandedBackAsItCame) {
  HDC dc = surface.dc();
  const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
  const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
  const UINT align = GetTextAlign(dc);
  const COLORREF textColour = GetTextColor(dc);
  host.active = true;
  button.CaptionA().SetCaption("OK");
  for (PlainButtonStyle style : {PlainButtonStyle::Normal, PlainButtonStyle::RoundRect}) {
    button.SetButtonStyle(style);
    button.SetParentColor(true);  // drawn on this DC directly
    Paint();
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
    EXPECT_EQ(GetTextAlign(dc), align);
    EXPECT_EQ(GetTextColor(dc), textColour);
  }
}

// The process's GDI handle table is filled up to a known number of free places; painting many
// times must leave exactly as many free. A first round of paints runs before, so that what the
// system creates once and keeps (its colour pens and brushes, font caches) is not counted.
TEST_F(GdiCanvasTest, PaintingReleasesEveryObject) {
  host.active = true;
  button.CaptionA().SetCaption("共有");
  button.CaptionB().SetCaption("ABC");
  button.CaptionB().SetAlignment(CaptionAlignment::Even);
  Picture picture;
  picture.SetGraphic(std::make_shared<GdiBitmap>(TwoColourBitmap(RGB(0, 255, 0), RGB(255, 0, 0))));
  button.Image().SetPicture(picture);
  auto paintRound = [this](int times) {
    for (int i = 0; i < times; ++i) {
      button.SetButtonStyle(i % 2 ? PlainButtonStyle::RoundRect : PlainButtonStyle::Normal);
      button.Image().SetTransparent(i % 4 < 2);
      button.SetEnabled(i % 8 < 4);
      Paint();
    }
  };
  paintRound(8);

  std::vector<UniquePen> filler;
  auto fill = [&filler] {
    std::size_t made = 0;
    for (;;) {
      UniquePen pen(CreatePen(PS_SOLID, 1, RGB(static_cast<int>(filler.size() & 0xFF), 0, 0)));
      if (!pen) return made;
      filler.push_back(std::move(pen));
      ++made;
    }
  };
  fill();
  ASSERT_GT(filler.size(), 1000u);
  constexpr std::size_t kFree = 300;
  filler.resize(filler.size() - kFree);
  paintRound(400);
  const std::size_t freeAfter = fill();
  filler.clear();
  EXPECT_EQ(freeAfter, kFree);

  button.SetEnabled(true);
  button.SetButtonStyle(PlainButtonStyle::FlatNoFrame);
  Paint();
  EXPECT_EQ(surface.At(2, 12), Grey(225));
}

}  // namespace
}  // namespace qv::win
