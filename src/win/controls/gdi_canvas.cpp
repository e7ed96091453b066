#include "win/controls/gdi_canvas.h"

#include <algorithm>
#include <string>

#include "win/framework/controls.h"
#include "win/framework/cp932.h"

namespace qv::win {

namespace {

// A bitmap the size of the face, drawn on through its own canvas and copied to the target in
// one step. Declaration order is release order in reverse: the canvas hands its DC back first,
// then the bitmap is deselected, deleted, and the DC deleted.
class GdiOffscreen : public IOffscreenBitmap {
 public:
  GdiOffscreen(HDC target, int width, int height)
      : target_(target),
        width_(width),
        height_(height),
        dc_(target),
        bitmap_(dc_.get() ? CreateCompatibleBitmap(target, std::max(width, 1), std::max(height, 1))
                          : nullptr),
        selected_(bitmap_ ? dc_.get() : nullptr, bitmap_.get()),
        canvas_(bitmap_ ? dc_.get() : target) {}

  ICanvas& Canvas() override { return canvas_; }
  // Without a bitmap (out of GDI resources) the face was drawn on the target directly.
  void CopyToTarget(int x, int y) override {
    if (bitmap_) BitBlt(target_, x, y, width_, height_, dc_.get(), 0, 0, SRCCOPY);
  }

 private:
  HDC target_;
  int width_, height_;
  MemoryDC dc_;
  UniqueBitmap bitmap_;
  SelectedObject selected_;
  GdiCanvas canvas_;
};

// Selects a bitmap into a memory DC of its own for reading or copying its pixels.
class BitmapSource {
 public:
  explicit BitmapSource(HBITMAP bitmap) : dc_(nullptr), selected_(dc_.get(), bitmap) {}
  HDC get() const { return dc_.get(); }

 private:
  MemoryDC dc_;
  SelectedObject selected_;
};

}  // namespace

GdiCanvas::GdiCanvas(HDC dc) : dc_(dc), savedState_(SaveDC(dc)) {}

// Our pen, brush and font are deselected before their owners delete them.
GdiCanvas::~GdiCanvas() {
  if (savedState_) RestoreDC(dc_, savedState_);
}

void GdiCanvas::SetBrushStyle(BrushStyle style) {
  if (style == brushStyle_) return;
  brushStyle_ = style;
  brushDirty_ = true;
}

void GdiCanvas::SetBrushColor(Color color) {
  if (color == brushColor_) return;
  brushColor_ = color;
  brushDirty_ = true;
}

void GdiCanvas::SetPenColor(Color color) {
  if (color == penColor_) return;
  penColor_ = color;
  penDirty_ = true;
}

void GdiCanvas::SetPenWidth(int width) {
  if (width == penWidth_) return;
  penWidth_ = width;
  penDirty_ = true;
}

void GdiCanvas::SetFont(const Font& font) {
  if (fontGiven_ && font == font_) return;
  font_ = font;
  fontGiven_ = true;
  fontDirty_ = true;
}

void GdiCanvas::SetFontColor(Color color) {
  font_.Color = color;
  SetTextColor(dc_, win::ColorToRGB(color));
}

void GdiCanvas::RealizePen() {
  if (!penDirty_ || alternatePen_) return;
  UniquePen next(CreatePen(PS_SOLID, penWidth_, win::ColorToRGB(penColor_)));
  if (!next) return;
  SelectObject(dc_, next.get());
  pen_ = std::move(next);
  penDirty_ = false;
}

void GdiCanvas::RealizeBrush() {
  if (!brushDirty_) return;
  if (brushStyle_ == BrushStyle::Clear) {
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
    brush_.reset();
    SetBkMode(dc_, TRANSPARENT);
  } else {
    UniqueBrush next(CreateSolidBrush(win::ColorToRGB(brushColor_)));
    if (!next) return;
    SelectObject(dc_, next.get());
    brush_ = std::move(next);
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, win::ColorToRGB(brushColor_));
  }
  brushDirty_ = false;
}

void GdiCanvas::RealizeFont() {
  if (!fontDirty_ || !fontGiven_) return;
  LOGFONTW lf{};
  lf.lfHeight = font_.Height;
  lf.lfWeight = (font_.Style & 1) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (font_.Style & 2) ? TRUE : FALSE;
  lf.lfUnderline = (font_.Style & 4) ? TRUE : FALSE;
  lf.lfStrikeOut = (font_.Style & 8) ? TRUE : FALSE;
  lf.lfCharSet = font_.Charset;
  lf.lfQuality = DEFAULT_QUALITY;
  const std::wstring face = ToWide(font_.Name);
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  UniqueFont next(CreateFontIndirectW(&lf));
  if (!next) return;
  SelectObject(dc_, next.get());
  fontObject_ = std::move(next);
  SetTextColor(dc_, win::ColorToRGB(font_.Color));
  fontDirty_ = false;
}

void GdiCanvas::Realize() {
  RealizeFont();
  RealizePen();
  RealizeBrush();
}

void GdiCanvas::FillRect(const Rect& rect) {
  RealizeBrush();
  if (brushStyle_ == BrushStyle::Clear || !brush_) return;
  const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::FillRect(dc_, &r, brush_.get());
}

void GdiCanvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void GdiCanvas::LineTo(int x, int y) {
  RealizePen();
  ::LineTo(dc_, x, y);
}

void GdiCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                          int ellipseHeight) {
  Realize();
  ::RoundRect(dc_, left, top, right, bottom, ellipseWidth, ellipseHeight);
}

void GdiCanvas::DrawTransparent(int x, int y, const Graphic& bitmap, Color transparentColor) {
  const auto* gdi = dynamic_cast<const GdiBitmap*>(&bitmap);
  if (!gdi) return;
  BitmapSource source(gdi->Handle());
  if (!source.get()) return;
  GdiTransparentBlt(dc_, x, y, gdi->Width(), gdi->Height(), source.get(), 0, 0, gdi->Width(),
                    gdi->Height(), win::ColorToRGB(transparentColor));
}

void GdiCanvas::TextOutput(int x, int y, const AnsiString& text) {
  Realize();
  const std::wstring wide = ToWide(text);
  TextOutW(dc_, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE GdiCanvas::Extent(const AnsiString& text) {
  RealizeFont();
  const std::wstring wide = ToWide(text);
  SIZE size{0, 0};
  if (wide.empty()) {
    // An empty text is as high as the font.
    TEXTMETRICW tm{};
    if (GetTextMetricsW(dc_, &tm)) size.cy = tm.tmHeight;
    return size;
  }
  GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}

int GdiCanvas::TextWidth(const AnsiString& text) { return Extent(text).cx; }

int GdiCanvas::TextHeight(const AnsiString& text) { return Extent(text).cy; }

void GdiCanvas::DrawEdge(const Rect& rect, unsigned edge, unsigned flags) {
  Realize();
  RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::DrawEdge(dc_, &r, edge, flags);
}

void GdiCanvas::DrawFocusRect(const Rect& rect) {
  Realize();
  const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
  ::DrawFocusRect(dc_, &r);
}

void GdiCanvas::DrawStateImage(const Graphic& graphic, int x, int y, unsigned flags) {
  Realize();
  LPARAM handle = 0;
  if (const auto* bitmap = dynamic_cast<const GdiBitmap*>(&graphic)) {
    handle = reinterpret_cast<LPARAM>(bitmap->Handle());
  } else if (const auto* icon = dynamic_cast<const GdiIcon*>(&graphic)) {
    handle = reinterpret_cast<LPARAM>(icon->Handle());
  }
  if (!handle) return;
  DrawStateW(dc_, nullptr, nullptr, handle, 0, x, y, graphic.Width(), graphic.Height(), flags);
}

void GdiCanvas::SetTextAlign(unsigned align) { ::SetTextAlign(dc_, align); }

void GdiCanvas::DeviceTextOut(int x, int y, const AnsiString& text) { TextOutput(x, y, text); }

void GdiCanvas::SelectAlternatePen(Color color) {
  Realize();
  LOGBRUSH brush{BS_SOLID, win::ColorToRGB(color), 0};
  UniquePen pen(ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr));
  if (!pen) return;
  SelectObject(dc_, pen.get());
  alternatePen_ = std::move(pen);
}

// Deselect the alternate pen before it is deleted; the canvas's own pen comes back.
void GdiCanvas::ReleaseAlternatePen() {
  if (!alternatePen_) return;
  SelectObject(dc_, pen_ ? static_cast<HGDIOBJ>(pen_.get()) : GetStockObject(BLACK_PEN));
  alternatePen_.reset();
  penDirty_ = penDirty_ || !pen_;
}

Color GdiCanvas::ColorToRGB(Color color) { return win::ColorToRGB(color); }

Color GdiCanvas::NearestColor(Color rgb) {
  const COLORREF nearest = GetNearestColor(dc_, static_cast<COLORREF>(rgb));
  return nearest == CLR_INVALID ? rgb : static_cast<Color>(nearest);
}

std::unique_ptr<IOffscreenBitmap> GdiCanvas::CreateOffscreen(int width, int height) {
  return std::make_unique<GdiOffscreen>(dc_, width, height);
}

// ---------------------------------------------------------------------------------------------

GdiBitmap::GdiBitmap(HBITMAP bitmap) : bitmap_(bitmap) {
  BITMAP info{};
  if (bitmap && GetObjectW(bitmap, sizeof(info), &info)) {
    width_ = info.bmWidth;
    height_ = info.bmHeight;
    monochrome_ = info.bmBitsPixel == 1;
  }
}

Color GdiBitmap::Pixel(int x, int y) const {
  BitmapSource source(bitmap_.get());
  const COLORREF c = source.get() ? GetPixel(source.get(), x, y) : CLR_INVALID;
  return c == CLR_INVALID ? clBlack : static_cast<Color>(c);
}

GdiIcon::GdiIcon(HICON icon) : icon_(icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return;
  // GetIconInfo hands out copies of the icon's bitmaps.
  UniqueBitmap mask(info.hbmMask);
  UniqueBitmap color(info.hbmColor);
  BITMAP bm{};
  if (GetObjectW(info.hbmMask, sizeof(bm), &bm)) {
    width_ = bm.bmWidth;
    height_ = color ? bm.bmHeight : bm.bmHeight / 2;  // a monochrome icon stacks mask and image
  }
}

}  // namespace qv::win
