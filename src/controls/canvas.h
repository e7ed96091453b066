// The drawing surface the self-drawn controls paint on, and the pictures they show. The same
// painting code draws into a GDI device context on Windows and into a recorder in the tests.
#pragma once

#include <memory>

#include "controls/control_types.h"
#include "framework/ansi_string.h"

namespace qv {

// A picture's graphic. Graphics are immutable once made, so a picture that "copies" another
// one may share it.
enum class GraphicKind { Bitmap, Icon, Other };

class Graphic {
 public:
  virtual ~Graphic() = default;
  virtual GraphicKind Kind() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Bitmaps only: whether it has one bit per pixel, and the colour of one pixel.
  virtual bool Monochrome() const { return false; }
  virtual Color Pixel(int x, int y) const = 0;
};

// Holds at most one graphic.
class Picture {
 public:
  const qv::Graphic* Graphic() const { return graphic_.get(); }
  bool Empty() const { return graphic_ == nullptr; }
  void SetGraphic(std::shared_ptr<const qv::Graphic> graphic) { graphic_ = std::move(graphic); }
  void Assign(const Picture& source) { graphic_ = source.graphic_; }
  void Clear() { graphic_.reset(); }

 private:
  std::shared_ptr<const qv::Graphic> graphic_;
};

enum class BrushStyle { Solid, Clear };

// Arguments of the platform's direct drawing calls (their documented values).
namespace draw {
constexpr unsigned kEdgeRaised = 5;       // raised outer and raised inner
constexpr unsigned kEdgeEtched = 6;       // sunken outer, raised inner
constexpr unsigned kEdgeBump = 9;         // raised outer, sunken inner
constexpr unsigned kEdgeOuterMask = 0x3;  // the outer ring's bits of an edge
constexpr unsigned kEdgeInnerMask = 0xC;  // the inner ring's
constexpr unsigned kBfRect = 0x000F;      // all four sides
constexpr unsigned kBfFlat = 0x4000;
constexpr unsigned kDstIcon = 0x03;
constexpr unsigned kDstBitmap = 0x04;
constexpr unsigned kDssDisabled = 0x20;  // embossed
constexpr unsigned kTaLeft = 0;
constexpr unsigned kTaRight = 2;
constexpr unsigned kTaCenter = 6;
}  // namespace draw

class ICanvas;

// A bitmap of its own size that is drawn on and then copied to the canvas it was made for.
class IOffscreenBitmap {
 public:
  virtual ~IOffscreenBitmap() = default;
  virtual ICanvas& Canvas() = 0;
  virtual void CopyToTarget(int x, int y) = 0;
};

// A canvas: current brush, pen and font, the framework's drawing operations, and the few platform
// calls that painting makes directly on the canvas's device context (before each of those the
// canvas puts its current font, pen and brush into effect; a hollow brush also makes text
// backgrounds transparent).
class ICanvas {
 public:
  virtual ~ICanvas() = default;

  virtual void SetBrushStyle(BrushStyle style) = 0;
  virtual void SetBrushColor(Color color) = 0;
  virtual void SetPenColor(Color color) = 0;
  virtual void SetPenWidth(int width) = 0;
  virtual void SetFont(const Font& font) = 0;
  virtual Color FontColor() const = 0;
  virtual void SetFontColor(Color color) = 0;

  virtual void FillRect(const Rect& rect) = 0;
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;  // excludes its end point
  virtual void RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                         int ellipseHeight) = 0;
  // A bitmap drawn with one colour left out.
  virtual void DrawTransparent(int x, int y, const Graphic& bitmap, Color transparentColor) = 0;
  // The canvas's own text output of code page 932 bytes.
  virtual void TextOutput(int x, int y, const AnsiString& text) = 0;
  virtual int TextWidth(const AnsiString& text) = 0;
  virtual int TextHeight(const AnsiString& text) = 0;

  // Direct calls on the device context.
  virtual void DrawEdge(const Rect& rect, unsigned edge, unsigned flags) = 0;
  virtual void DrawFocusRect(const Rect& rect) = 0;
  virtual void DrawStateImage(const Graphic& graphic, int x, int y, unsigned flags) = 0;
  virtual void SetTextAlign(unsigned align) = 0;
  virtual void DeviceTextOut(int x, int y, const AnsiString& text) = 0;
  // A cosmetic one-pixel pen that sets every other pixel, selected until released.
  virtual void SelectAlternatePen(Color color) = 0;
  virtual void ReleaseAlternatePen() = 0;
  virtual Color ColorToRGB(Color color) = 0;  // system colours through the colour table
  virtual Color NearestColor(Color rgb) = 0;  // what the device can show
  virtual std::unique_ptr<IOffscreenBitmap> CreateOffscreen(int width, int height) = 0;
};

}  // namespace qv
