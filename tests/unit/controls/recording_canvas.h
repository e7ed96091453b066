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
  TRect rect;      // FillRect, RoundRect, DrawEdge, DrawFocusRect
  int x = 0, y = 0;
  int width = 0, height = 0;  // RoundRect's ellipse, an off-screen bitmap's size
  unsigned edge = 0, flags = 0;
  TColor color = 0;  // the colour argument
  std::string text;
  const TGraphic* graphic = nullptr;
  // State in force.
  TColor penColor = 0;
  int penWidth = 1;
  bool alternatePen = false;
  TColor fontColor = 0;
  TBrushStyle brushStyle = TBrushStyle::bsSolid;
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
  std::map<int, TColor> systemColors = {{5, 0xFFFFFF},  {8, 0x000000},  {15, 0xF0F0F0},
                                        {16, 0xA0A0A0}, {17, 0x6D6D6D}, {20, 0xFFFFFF}};
  std::function<TColor(TColor)> snap = [](TColor c) { return c; };
  // Make the next drawing call of this kind throw, to test restoring on every path.
  std::optional<Op> failOn;

  void SetBrushStyle(TBrushStyle style) override;
  void SetBrushColor(TColor color) override;
  void SetPenColor(TColor color) override;
  void SetPenWidth(int width) override;
  void SetFont(const TFont& font) override;
  TColor FontColor() const override { return fontColor_; }
  void SetFontColor(TColor color) override;
  void FillRect(const TRect& rect) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                 int ellipseHeight) override;
  void DrawTransparent(int x, int y, const TGraphic& bitmap, TColor transparentColor) override;
  void TextOutput(int x, int y, std::string_view text) override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view text) override;
  void DrawEdge(const TRect& rect, unsigned edge, unsigned flags) override;
  void DrawFocusRect(const TRect& rect) override;
  void DrawStateImage(const TGraphic& graphic, int x, int y, unsigned flags) override;
  void SetTextAlign(unsigned align) override;
  void DeviceTextOut(int x, int y, std::string_view text) override;
  void SelectAlternatePen(TColor color) override;
  void ReleaseAlternatePen() override;
  TColor ColorToRGB(TColor color) override;
  TColor NearestColor(TColor rgb) override;
  std::unique_ptr<IOffscreenBitmap> CreateOffscreen(int width, int height) override;

 private:
  DrawRecord& Add(Op op);
  int CharWidth(std::string_view ch) const;

  std::shared_ptr<RecordingLog> log_;
  int id_;
  TColor penColor_ = 0;
  int penWidth_ = 1;
  bool alternatePen_ = false;
  TColor fontColor_ = 0;
  TBrushStyle brushStyle_ = TBrushStyle::bsSolid;
  unsigned textAlign_ = 0;
};

// The pen colour of each gradation row (a line from x = 0 along row y), in row order.
std::vector<TColor> GradationRows(const RecordingLog& log, int canvas);

}  // namespace qv::test
