// The controls' canvas on a GDI device context, and pictures held as GDI bitmaps and icons. Every
// pen, brush, font and bitmap made here is owned and released on every path; the device context
// is handed back in the state it came in.
#pragma once

#include <windows.h>

#include <memory>

#include "controls/canvas.h"
#include "win/framework/gdi.h"

namespace qv::win {

class GdiCanvas : public ICanvas {
 public:
  // Draws on `dc`, which stays the caller's.
  explicit GdiCanvas(HDC dc);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  HDC Handle() const { return dc_; }

  void SetBrushStyle(BrushStyle style) override;
  void SetBrushColor(Color color) override;
  void SetPenColor(Color color) override;
  void SetPenWidth(int width) override;
  void SetFont(const Font& font) override;
  Color FontColor() const override { return font_.Color; }
  void SetFontColor(Color color) override;

  void FillRect(const Rect& rect) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                 int ellipseHeight) override;
  void DrawTransparent(int x, int y, const Graphic& bitmap, Color transparentColor) override;
  void TextOutput(int x, int y, const AnsiString& text) override;
  int TextWidth(const AnsiString& text) override;
  int TextHeight(const AnsiString& text) override;

  void DrawEdge(const Rect& rect, unsigned edge, unsigned flags) override;
  void DrawFocusRect(const Rect& rect) override;
  void DrawStateImage(const Graphic& graphic, int x, int y, unsigned flags) override;
  void SetTextAlign(unsigned align) override;
  void DeviceTextOut(int x, int y, const AnsiString& text) override;
  void SelectAlternatePen(Color color) override;
  void ReleaseAlternatePen() override;
  Color ColorToRGB(Color color) override;
  Color NearestColor(Color rgb) override;
  std::unique_ptr<IOffscreenBitmap> CreateOffscreen(int width, int height) override;

 private:
  // Put the current pen, brush and font into effect before drawing.
  void Realize();
  void RealizePen();
  void RealizeBrush();
  void RealizeFont();
  SIZE Extent(const AnsiString& text);

  HDC dc_;
  int savedState_;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  Color brushColor_ = clWhite;
  Color penColor_ = clBlack;
  int penWidth_ = 1;
  Font font_;
  bool fontGiven_ = false;
  bool penDirty_ = true, brushDirty_ = true, fontDirty_ = true;
  UniquePen pen_;
  UniquePen alternatePen_;
  UniqueBrush brush_;
  UniqueFont fontObject_;
};

// A bitmap graphic; owns its bitmap.
class GdiBitmap : public Graphic {
 public:
  explicit GdiBitmap(HBITMAP bitmap);
  HBITMAP Handle() const { return bitmap_.get(); }
  GraphicKind Kind() const override { return GraphicKind::Bitmap; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool Monochrome() const override { return monochrome_; }
  Color Pixel(int x, int y) const override;

 private:
  UniqueBitmap bitmap_;
  int width_ = 0, height_ = 0;
  bool monochrome_ = false;
};

// An icon graphic; owns its icon.
class GdiIcon : public Graphic {
 public:
  explicit GdiIcon(HICON icon);
  HICON Handle() const { return icon_.get(); }
  GraphicKind Kind() const override { return GraphicKind::Icon; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  Color Pixel(int, int) const override { return clBlack; }

 private:
  UniqueIcon icon_;
  int width_ = 0, height_ = 0;
};

}  // namespace qv::win
