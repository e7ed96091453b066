#include "recording_canvas.h"

#include <stdexcept>

namespace qv::test {

std::vector<DrawRecord> RecordingLog::Of(Op op) const {
  std::vector<DrawRecord> out;
  for (const DrawRecord& r : records) {
    if (r.op == op) out.push_back(r);
  }
  return out;
}

std::size_t RecordingLog::Count(Op op) const { return Of(op).size(); }

DrawRecord& RecordingCanvas::Add(Op op) {
  if (failOn && *failOn == op) {
    failOn.reset();
    throw std::runtime_error("drawing failed");
  }
  DrawRecord r;
  r.op = op;
  r.canvas = id_;
  r.penColor = penColor_;
  r.penWidth = penWidth_;
  r.alternatePen = alternatePen_;
  r.fontColor = fontColor_;
  r.brushStyle = brushStyle_;
  r.textAlign = textAlign_;
  log_->records.push_back(r);
  return log_->records.back();
}

void RecordingCanvas::SetBrushStyle(BrushStyle style) {
  brushStyle_ = style;
  Add(Op::SetBrushStyle);
}

void RecordingCanvas::SetBrushColor(Color color) { Add(Op::SetBrushColor).color = color; }

void RecordingCanvas::SetPenColor(Color color) {
  penColor_ = color;
  Add(Op::SetPenColor).color = color;
}

void RecordingCanvas::SetPenWidth(int width) {
  penWidth_ = width;
  Add(Op::SetPenWidth).width = width;
}

void RecordingCanvas::SetFont(const Font& font) {
  fontColor_ = font.Color;
  Add(Op::SetFont).color = font.Color;
}

void RecordingCanvas::SetFontColor(Color color) {
  fontColor_ = color;
  Add(Op::SetFontColor).color = color;
}

void RecordingCanvas::FillRect(const Rect& rect) { Add(Op::FillRect).rect = rect; }

void RecordingCanvas::MoveTo(int x, int y) {
  DrawRecord& r = Add(Op::MoveTo);
  r.x = x;
  r.y = y;
}

void RecordingCanvas::LineTo(int x, int y) {
  DrawRecord& r = Add(Op::LineTo);
  r.x = x;
  r.y = y;
}

void RecordingCanvas::RoundRect(int left, int top, int right, int bottom, int ellipseWidth,
                                int ellipseHeight) {
  DrawRecord& r = Add(Op::RoundRect);
  r.rect = Rect{left, top, right, bottom};
  r.width = ellipseWidth;
  r.height = ellipseHeight;
}

void RecordingCanvas::DrawTransparent(int x, int y, const Graphic& bitmap, Color transparentColor) {
  DrawRecord& r = Add(Op::DrawTransparent);
  r.x = x;
  r.y = y;
  r.graphic = &bitmap;
  r.color = transparentColor;
}

void RecordingCanvas::TextOutput(int x, int y, const AnsiString& text) {
  DrawRecord& r = Add(Op::TextOutput);
  r.x = x;
  r.y = y;
  r.text = text;
}

int RecordingCanvas::CharWidth(const AnsiString& ch) const {
  return ch.size() == 2 ? metrics.wideWidth : metrics.narrowWidth;
}

int RecordingCanvas::TextWidth(const AnsiString& text) {
  int w = 0;
  int n = 0;
  ForEachCp932Char(text, [&](const AnsiString& ch) {
    w += CharWidth(ch);
    ++n;
  });
  return n > 1 ? w + metrics.wholeTextAdjust : w;
}

int RecordingCanvas::TextHeight(const AnsiString&) { return metrics.height; }

void RecordingCanvas::DrawEdge(const Rect& rect, unsigned edge, unsigned flags) {
  DrawRecord& r = Add(Op::DrawEdge);
  r.rect = rect;
  r.edge = edge;
  r.flags = flags;
}

void RecordingCanvas::DrawFocusRect(const Rect& rect) { Add(Op::DrawFocusRect).rect = rect; }

void RecordingCanvas::DrawStateImage(const Graphic& graphic, int x, int y, unsigned flags) {
  DrawRecord& r = Add(Op::DrawStateImage);
  r.graphic = &graphic;
  r.x = x;
  r.y = y;
  r.flags = flags;
}

void RecordingCanvas::SetTextAlign(unsigned align) {
  textAlign_ = align;
  Add(Op::SetTextAlign).flags = align;
}

void RecordingCanvas::DeviceTextOut(int x, int y, const AnsiString& text) {
  DrawRecord& r = Add(Op::DeviceTextOut);
  r.x = x;
  r.y = y;
  r.text = text;
}

void RecordingCanvas::SelectAlternatePen(Color color) {
  Add(Op::SelectAlternatePen).color = color;
  alternatePen_ = true;
}

void RecordingCanvas::ReleaseAlternatePen() {
  alternatePen_ = false;
  Add(Op::ReleaseAlternatePen);
}

Color RecordingCanvas::ColorToRGB(Color color) {
  Add(Op::ColorToRGB).color = color;
  if (!IsSystemColor(color)) return color;
  auto it = systemColors.find(SystemColorIndex(color));
  return it == systemColors.end() ? 0 : it->second;
}

Color RecordingCanvas::NearestColor(Color rgb) {
  Add(Op::NearestColor).color = rgb;
  return snap(rgb);
}

namespace {

class RecordingOffscreen : public IOffscreenBitmap {
 public:
  RecordingOffscreen(std::shared_ptr<RecordingLog> log, int id, int target, const TextMetrics& m)
      : canvas_(std::move(log), id), target_(target) {
    canvas_.metrics = m;
  }
  ICanvas& Canvas() override { return canvas_; }
  void CopyToTarget(int x, int y) override {
    DrawRecord r;
    r.op = Op::CopyToTarget;
    r.canvas = target_;
    r.x = x;
    r.y = y;
    canvas_.Log().records.push_back(r);
  }
  RecordingCanvas& Recorder() { return canvas_; }

 private:
  RecordingCanvas canvas_;
  int target_;
};

}  // namespace

std::unique_ptr<IOffscreenBitmap> RecordingCanvas::CreateOffscreen(int width, int height) {
  DrawRecord& r = Add(Op::CreateOffscreen);
  r.width = width;
  r.height = height;
  const int id = ++log_->offscreenCount;
  auto offscreen = std::make_unique<RecordingOffscreen>(log_, id, id_, metrics);
  offscreen->Recorder().systemColors = systemColors;
  offscreen->Recorder().snap = snap;
  return offscreen;
}

std::vector<Color> GradationRows(const RecordingLog& log, int canvas) {
  // A row is a MoveTo(0, y) followed by a LineTo(w, y) in the pen colour of that moment.
  std::vector<Color> rows;
  const auto& rs = log.records;
  for (std::size_t i = 0; i + 1 < rs.size(); ++i) {
    if (rs[i].canvas == canvas && rs[i].op == Op::MoveTo && rs[i].x == 0 &&
        rs[i + 1].op == Op::LineTo && rs[i + 1].y == rs[i].y &&
        rs[i].y == static_cast<int>(rows.size())) {
      rows.push_back(rs[i + 1].penColor);
    }
  }
  return rows;
}

}  // namespace qv::test
