// A canvas that records what is drawn on it as a list of operations, each with the canvas state
// in force at that moment (pen, font colour, brush style, text alignment). Off-screen bitmaps
// made from it record into the same list under their own canvas number.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/canvas.h"

namespace qv::test {

enum class Op {
  SetBrushStyle,
  SetBrushColor,
  SetPenColor,
  SetPenWidth,
  SetFont,
  SetFontColor,
  FillRect,
  MoveTo,
  LineTo,
  RoundRect,
  DrawTransparent,
  TextOutput,
  DrawEdge,
  DrawFocusRect,
  DrawStateImage,
  SetTextAlign,
  DeviceTextOut,
  SelectAlternatePen,
  ReleaseAlternatePen,
  ColorToRGB,
  NearestColor,
  CreateOffscreen,
  CopyToTarget,
};

struct DrawRecord {
  Op op = Op::SetBrushStyle;
  int canvas = 0;  // 0: the canvas itself, 1, 2, ...: off-screen bitmaps in order of creation
  Rect rect;       // FillRect, RoundRect, DrawEdge, DrawFocusRect
  int x = 0, y = 0;
  int width = 0, height = 0;  // RoundRect's ellipse, an off-screen bitmap's size
  unsigned edge = 0, flags = 0;
  Color color = 0;  // the colour argument
  AnsiString text;
  const Graphic* graphic = nullptr;
  // State in force.
  Color penColor = 0;
  int penWidth = 1;
  bool alternatePen = false;
  Color fontColor = 0;
  BrushStyle brushStyle = BrushStyle::Solid;
  unsigned textAlign = 0;
};

struct RecordingLog {
  std::vector<DrawRecord> records;
  int offscreenCount = 0;

  std::vector<DrawRecord> Of(Op op) const;
  std::size_t Count(Op op) const;
};

// Text metrics of the recorder: one fixed height; single-byte characters are narrow, double-byte
// ones wide; a whole text measured at once may differ from the sum of its characters by
// `wholeTextAdjust`, as kerned fonts do.
struct TextMetrics {
  int height = 12;
  int narrowWidth = 6;
  int wideWidth = 12;
  int wholeTextAdjust = 0;
};

class RecordingCanvas : public ICanvas {
 public:
  RecordingCanvas() : RecordingCanvas(std::make_shared<RecordingLog>(), 0) {}
  RecordingCanvas(std::shared_ptr<RecordingLog> log, int id) : log_(std::move(log)), id_(id) {}

  RecordingLog& Log() { return *log_; }
  const std::vector<DrawRecord>& Records() const { return log_->records; }
  TextMetrics metrics;
  // How system colours resolve, and how the device snaps colours (identity by default).
  std::map<int, Color> systemColors = {{5, 0xFFFFFF},  {8, 0x000000},  {15, 0xF0F0F0},
                                       {16, 0xA0A0A0}, {17, 0x6D6D6D}, {20, 0xFFFFFF}};
  std::function<Color(Color)> snap = [](Color c) { return c; };
  // Make the next drawing call of this kind throw, to test restoring on every path.
  std::optional<Op> failOn;

  void SetBrushStyle(BrushStyle style) override;
  void SetBrushColor(Color color) override;
  void SetPenColor(Color color) override;
  void SetPenWidth(int width) override;
  void SetFont(const Font& font) override;
  Color FontColor() const override { return fontColor_; }
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
  DrawRecord& Add(Op op);
  int CharWidth(const AnsiString& ch) const;

  std::shared_ptr<RecordingLog> log_;
  int id_;
  Color penColor_ = 0;
  int penWidth_ = 1;
  bool alternatePen_ = false;
  Color fontColor_ = 0;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  unsigned textAlign_ = 0;
};

// The pen colour of each gradation row (a line from x = 0 along row y), in row order.
std::vector<Color> GradationRows(const RecordingLog& log, int canvas);

}  // namespace qv::test
