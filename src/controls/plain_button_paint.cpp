// How the plain button draws its face.
#include "controls/plain_button.h"
#include "framework/dpi_scale.h"

namespace qv {

namespace {

constexpr Color kPressedInnerRing = 0x808080;
constexpr Color kRoundOutline = 0x757575;
constexpr Color kRoundFocusOutline = 0x202020;

// Runs `undo` when the scope is left, also by an exception: painting must leave the canvas's pen
// and text colour as it found them.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F undo) : undo_(std::move(undo)) {}
  ~ScopeExit() { undo_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  F undo_;
};

// A one-pixel ring on the border pixels of `r`, drawn with lines (which exclude their end point,
// so each segment starts where the previous one stopped).
void DrawRing(ICanvas& canvas, const Rect& r, Color color) {
  canvas.SetPenColor(color);
  canvas.SetPenWidth(1);
  canvas.MoveTo(r.Left, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 1, r.Top);
  canvas.LineTo(r.Right - 1, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Bottom - 1);
}

// `width` one-pixel rings inwards from `r`.
void DrawRings(ICanvas& canvas, const Rect& r, int width, Color color) {
  for (int i = 0; i < width; ++i) {
    DrawRing(canvas, Rect{r.Left + i, r.Top + i, r.Right - i, r.Bottom - i}, color);
  }
}

int Channel(int begin, int end, int row, int lastRow) {
  return begin + (row * (end - begin)) / lastRow;
}

}  // namespace

void PlainButton::Paint(ICanvas& target) {
  // A button that shows its parent's colour is drawn directly; any other is composed off-screen
  // and copied in one step, so that it never shows half-drawn.
  if (parentColor_) {
    DrawButton(target);
    return;
  }
  std::unique_ptr<IOffscreenBitmap> offscreen = target.CreateOffscreen(width_, height_);
  DrawButton(offscreen->Canvas());
  offscreen->CopyToTarget(0, 0);
}

void PlainButton::DrawButton(ICanvas& canvas) {
  canvas.SetBrushStyle(BrushStyle::Solid);
  frameRect_ = Rect{0, 0, width_, height_};
  if (gradation_) {
    DrawGradation(canvas);
  } else {
    canvas.SetBrushColor(color_);
    canvas.FillRect(frameRect_);
  }

  DrawImage(canvas);

  canvas.SetFont(font_);
  if (!enabled_) canvas.SetFontColor(clGrayText);

  // Both lines are laid out with the height of the first one.
  const bool hasA = !captionA_.Caption().empty();
  const bool hasB = !captionB_.Caption().empty();
  const int h = canvas.TextHeight(captionA_.Caption());
  int topA = captionTop_;
  if (captionVertCenter_) {
    topA = hasB ? (height_ - 2 * h - captionLineSpace_) / 2 : (height_ - h) / 2 + Scaled(1);
    captionTop_ = topA;
  }
  DrawCaption(canvas, captionA_, topA);

  int topB = hasA ? captionTop_ + h + captionLineSpace_ : captionTop_;
  if (captionVertCenter_) {
    if (hasA) {
      topB = topA + h + captionLineSpace_;
    } else {
      topB = (height_ - canvas.TextHeight(captionB_.Caption())) / 2;
      captionTop_ = topB;
    }
  }
  DrawCaption(canvas, captionB_, topB);

  canvas.SetBrushStyle(BrushStyle::Clear);
  frameRect_ = Rect{0, 0, width_, height_};
  DrawFrame(canvas);

  if (host_.IsActiveControl() && hasFocus_) DrawFocus(canvas);
}

void PlainButton::DrawGradation(ICanvas& canvas) {
  // The end colours are resolved and snapped once per paint, not once per row.
  const qv::Color end = canvas.NearestColor(canvas.ColorToRGB(gradEndColor_));
  const qv::Color begin = canvas.NearestColor(canvas.ColorToRGB(gradBeginColor_));
  canvas.SetPenWidth(1);
  if (height_ > 1) {
    const int last = height_ - 1;
    for (int row = 0; row < height_; ++row) {
      canvas.SetPenColor(RgbColor(Channel(RedOf(begin), RedOf(end), row, last),
                                  Channel(GreenOf(begin), GreenOf(end), row, last),
                                  Channel(BlueOf(begin), BlueOf(end), row, last)));
      canvas.MoveTo(0, row);
      canvas.LineTo(width_, row);
    }
  } else if (height_ == 1) {
    canvas.SetPenColor(begin);
    canvas.MoveTo(0, 0);
    canvas.LineTo(width_, 0);
  }
}

void PlainButton::DrawImage(ICanvas& canvas) {
  const Graphic* graphic = image_.picture_.Graphic();
  if (!image_.visible_ || !graphic) return;

  const int d = PressShift() ? Scaled(1) : 0;
  if (image_.vertCenter_) image_.top_ = (height_ - graphic->Height()) / 2;
  if (image_.horzCenter_) image_.left_ = (width_ - graphic->Width()) / 2;
  const int x = image_.left_ + d;
  const int y = image_.top_ + d;
  const unsigned embossed = (!enabled_ && hasFocus_) ? draw::kDssDisabled : 0;

  switch (graphic->Kind()) {
    case GraphicKind::Bitmap:
      if (image_.transparent_) {
        // The bottom-left pixel names the colour left out; a monochrome bitmap leaves out white.
        qv::Color transparent = clWhite;
        if (!graphic->Monochrome() && graphic->Height() > 0) {
          transparent = graphic->Pixel(0, graphic->Height() - 1);
        }
        canvas.DrawTransparent(image_.left_, image_.top_, *graphic, transparent);
      } else {
        canvas.DrawStateImage(*graphic, x, y, draw::kDstBitmap | embossed);
      }
      break;
    case GraphicKind::Icon:
      canvas.DrawStateImage(*graphic, x, y, draw::kDstIcon | embossed);
      break;
    case GraphicKind::Other:
      break;
  }
}

void PlainButton::DrawCaption(ICanvas& canvas, const PlainButtonCaption& caption, int top) {
  const AnsiString& text = caption.Caption();
  // Characters count as UTF-16 code units; every code page 932 character is one.
  const int n = static_cast<int>(Cp932CharCount(text));
  if (n == 0) return;
  canvas.SetBrushStyle(BrushStyle::Clear);

  CaptionAlignment a = caption.Alignment();
  if (a == CaptionAlignment::Even && n == 1) a = CaptionAlignment::Center;

  const int margin = Scaled(2);
  int x = 0;
  int available = 0;
  unsigned align = draw::kTaLeft;
  switch (a) {
    case CaptionAlignment::Even:
      x = caption.Left() + margin;
      available = width_ - caption.Left() - caption.Right() - 2 * margin;
      break;
    case CaptionAlignment::Left:
      x = caption.Left() + margin;
      break;
    case CaptionAlignment::Right:
      x = width_ - caption.Right() - margin;
      align = draw::kTaRight;
      break;
    case CaptionAlignment::Center:
      x = width_ / 2;
      align = draw::kTaCenter;
      break;
  }
  canvas.SetTextAlign(align);

  const int d = PressShift() ? Scaled(1) : 0;
  x += d;
  top += d;

  // Even spacing shares out what the text leaves of the available width over the gaps between
  // characters; the remainder goes one pixel at a time to the first gaps (taken away when the
  // text is wider than the room).
  int gap = 0;
  int remainder = 0;
  if (a == CaptionAlignment::Even) {
    const int spare = available - canvas.TextWidth(text);
    gap = spare / (n - 1);
    remainder = spare % (n - 1);
  }

  auto output = [&](int ox, int oy) {
    if (a != CaptionAlignment::Even) {
      canvas.DeviceTextOut(ox, oy, text);
      return;
    }
    int cx = ox;
    int rem = remainder;
    ForEachCp932Char(text, [&](const AnsiString& ch) {
      canvas.TextOutput(cx, oy, ch);
      cx += canvas.TextWidth(ch) + gap;
      if (rem > 0) {
        ++cx;
        --rem;
      } else if (rem < 0) {
        --cx;
        ++rem;
      }
    });
  };

  if (!enabled_ && hasFocus_) {
    // Embossed: a highlight copy one pixel right and down, the shadow-coloured text on top.
    canvas.SetFontColor(clBtnHighlight);
    output(x + Scaled(1), top + Scaled(1));
    canvas.SetFontColor(clBtnShadow);
  }
  output(x, top);
}

void PlainButton::DrawFrame(ICanvas& canvas) {
  switch (buttonStyle_) {
    case PlainButtonStyle::Normal:
      if (!pressed_) {
        DrawFrameEdge(canvas, draw::kEdgeRaised, draw::kBfRect);
      } else {
        const int w = Scaled(1);
        DrawRings(canvas, Rect{0, 0, width_, height_}, w, clBtnShadow);
        DrawRings(canvas, Rect{w, w, width_ - w, height_ - w}, w, kPressedInnerRing);
      }
      break;
    case PlainButtonStyle::Flat:
      switch (flatFrameType_) {
        case FrameType::Flat:
          DrawFrameEdge(canvas, draw::kEdgeBump, draw::kBfRect | draw::kBfFlat);
          break;
        case FrameType::Etched:
          DrawFrameEdge(canvas, draw::kEdgeEtched, draw::kBfRect);
          break;
        case FrameType::Bump:
          DrawFrameEdge(canvas, draw::kEdgeBump, draw::kBfRect);
          break;
      }
      break;
    case PlainButtonStyle::RoundRect:
      canvas.SetPenColor(kRoundOutline);
      canvas.SetPenWidth(Scaled(1));
      canvas.RoundRect(0, 0, width_, height_, Scaled(kRoundSize), Scaled(kRoundSize));
      break;
    case PlainButtonStyle::FlatNoFrame:
    case PlainButtonStyle::RoundRectNoFrame:
      break;
  }
}

void PlainButton::DrawFocus(ICanvas& canvas) {
  frameRect_ = Rect{0, 0, width_, height_};
  if (IsRoundStyle()) {
    canvas.SelectAlternatePen(kRoundFocusOutline);
    ScopeExit release([&] { canvas.ReleaseAlternatePen(); });
    const int inset = Scaled(2);
    const int corner = Scaled(kRoundSize) - inset;
    // The dotted pen is one pixel wide; a scaled outline is that many dotted rings.
    for (int i = 0; i < Scaled(1); ++i) {
      canvas.RoundRect(inset + i, inset + i, width_ - inset - i, height_ - inset - i, corner,
                       corner);
    }
    return;
  }
  const int inset = Scaled(3);
  frameRect_ = Rect{inset, inset, width_ - inset, height_ - inset};
  if (buttonStyle_ == PlainButtonStyle::Flat) {
    // Follow the inner ring of the flat frames, which differs by a pixel from the raised edge.
    if (flatFrameType_ == FrameType::Bump) {
      ++frameRect_.Right;
      ++frameRect_.Bottom;
    } else if (flatFrameType_ == FrameType::Etched) {
      --frameRect_.Right;
      --frameRect_.Bottom;
    }
  }
  const qv::Color previous = canvas.FontColor();
  ScopeExit restore([&] { canvas.SetFontColor(previous); });
  canvas.SetFontColor(clWhite);
  // The focus rectangle is a one-pixel dotted line; a scaled one is that many nested rectangles.
  const Rect outer = frameRect_;
  for (int i = 0; i < Scaled(1); ++i) {
    canvas.DrawFocusRect(Rect{outer.Left + i, outer.Top + i, outer.Right - i, outer.Bottom - i});
  }
  frameRect_ = outer;
}

// The system's edges are one pixel per ring (outer and inner); scaled, each ring is drawn that
// many times, the outer rings from the border inwards and then the inner rings.
void PlainButton::DrawFrameEdge(ICanvas& canvas, unsigned edge, unsigned flags) {
  const int width = Scaled(1);
  if (width == 1) {
    canvas.DrawEdge(frameRect_, edge, flags);
    return;
  }
  const Rect r = frameRect_;
  const auto inset = [&r](int i) { return Rect{r.Left + i, r.Top + i, r.Right - i, r.Bottom - i}; };
  for (int i = 0; i < width; ++i) canvas.DrawEdge(inset(i), edge & draw::kEdgeOuterMask, flags);
  for (int i = 0; i < width; ++i) {
    canvas.DrawEdge(inset(width + i), edge & draw::kEdgeInnerMask, flags);
  }
}

}  // namespace qv
