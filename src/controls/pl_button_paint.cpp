// How the plain button draws its face.
#include "controls/pl_button.h"
#include "framework/dpi_scale.h"

namespace qv {

namespace {

constexpr TColor kPressedInnerRing = 0x808080;
constexpr TColor kRoundOutline = 0x757575;
constexpr TColor kRoundFocusOutline = 0x202020;

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
void DrawRing(ICanvas& canvas, const TRect& r, TColor color) {
  canvas.SetPenColor(color);
  canvas.SetPenWidth(1);
  canvas.MoveTo(r.Left, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 1, r.Top);
  canvas.LineTo(r.Right - 1, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Bottom - 1);
}

// `width` one-pixel rings inwards from `r`.
void DrawRings(ICanvas& canvas, const TRect& r, int width, TColor color) {
  for (int i = 0; i < width; ++i) {
    DrawRing(canvas, TRect{r.Left + i, r.Top + i, r.Right - i, r.Bottom - i}, color);
  }
}

int Channel(int begin, int end, int row, int lastRow) {
  return begin + (row * (end - begin)) / lastRow;
}

}  // namespace

void TxPlButton::Paint(ICanvas& target) {
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

void TxPlButton::DrawButton(ICanvas& canvas) {
  canvas.SetBrushStyle(TBrushStyle::bsSolid);
  frameRect_ = TRect{0, 0, width_, height_};
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

  canvas.SetBrushStyle(TBrushStyle::bsClear);
  frameRect_ = TRect{0, 0, width_, height_};
  DrawFrame(canvas);

  if (host_.IsActiveControl() && hasFocus_) DrawFocus(canvas);
}

void TxPlButton::DrawGradation(ICanvas& canvas) {
  // The end colours are resolved and snapped once per paint, not once per row.
  const TColor end = canvas.NearestColor(canvas.ColorToRGB(gradEndColor_));
  const TColor begin = canvas.NearestColor(canvas.ColorToRGB(gradBeginColor_));
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

void TxPlButton::DrawImage(ICanvas& canvas) {
  const TGraphic* graphic = image_.picture_.Graphic();
  if (!image_.visible_ || !graphic) return;

  const int d = PressShift() ? Scaled(1) : 0;
  if (image_.vertCenter_) image_.top_ = (height_ - graphic->Height()) / 2;
  if (image_.horzCenter_) image_.left_ = (width_ - graphic->Width()) / 2;
  const int x = image_.left_ + d;
  const int y = image_.top_ + d;
  const unsigned embossed = (!enabled_ && hasFocus_) ? draw::kDssDisabled : 0;

  switch (graphic->Kind()) {
    case TGraphicKind::Bitmap:
      if (image_.transParent_) {
        // The bottom-left pixel names the colour left out; a monochrome bitmap leaves out white.
        TColor transparent = clWhite;
        if (!graphic->Monochrome() && graphic->Height() > 0) {
          transparent = graphic->Pixel(0, graphic->Height() - 1);
        }
        canvas.DrawTransparent(image_.left_, image_.top_, *graphic, transparent);
      } else {
        canvas.DrawStateImage(*graphic, x, y, draw::kDstBitmap | embossed);
      }
      break;
    case TGraphicKind::Icon:
      canvas.DrawStateImage(*graphic, x, y, draw::kDstIcon | embossed);
      break;
    case TGraphicKind::Other:
      break;
  }
}

void TxPlButton::DrawCaption(ICanvas& canvas, const TxPlBtnCaption& caption, int top) {
  const AnsiString& text = caption.Caption();
  // Characters count as UTF-16 code units; every code page 932 character is one.
  const int n = static_cast<int>(Cp932CharCount(text));
  if (n == 0) return;
  canvas.SetBrushStyle(TBrushStyle::bsClear);

  TxPlBtnAlignment a = caption.Alignment();
  if (a == TxPlBtnAlignment::taEven && n == 1) a = TxPlBtnAlignment::taCenter;

  const int margin = Scaled(2);
  int x = 0;
  int available = 0;
  unsigned align = draw::kTaLeft;
  switch (a) {
    case TxPlBtnAlignment::taEven:
      x = caption.Left() + margin;
      available = width_ - caption.Left() - caption.Right() - 2 * margin;
      break;
    case TxPlBtnAlignment::taLeft:
      x = caption.Left() + margin;
      break;
    case TxPlBtnAlignment::taRight:
      x = width_ - caption.Right() - margin;
      align = draw::kTaRight;
      break;
    case TxPlBtnAlignment::taCenter:
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
  if (a == TxPlBtnAlignment::taEven) {
    const int spare = available - canvas.TextWidth(text);
    gap = spare / (n - 1);
    remainder = spare % (n - 1);
  }

  auto output = [&](int ox, int oy) {
    if (a != TxPlBtnAlignment::taEven) {
      canvas.DeviceTextOut(ox, oy, text);
      return;
    }
    int cx = ox;
    int rem = remainder;
    ForEachCp932Char(text, [&](std::string_view ch) {
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

void TxPlButton::DrawFrame(ICanvas& canvas) {
  switch (buttonStyle_) {
    case TxPlButtonStyle::bsNormal:
      if (!pressed_) {
        DrawFrameEdge(canvas, draw::kEdgeRaised, draw::kBfRect);
      } else {
        const int w = Scaled(1);
        DrawRings(canvas, TRect{0, 0, width_, height_}, w, clBtnShadow);
        DrawRings(canvas, TRect{w, w, width_ - w, height_ - w}, w, kPressedInnerRing);
      }
      break;
    case TxPlButtonStyle::bsFlat:
      switch (flatFrameType_) {
        case TxPlBtnFrameType::bffFlat:
          DrawFrameEdge(canvas, draw::kEdgeBump, draw::kBfRect | draw::kBfFlat);
          break;
        case TxPlBtnFrameType::bffEtched:
          DrawFrameEdge(canvas, draw::kEdgeEtched, draw::kBfRect);
          break;
        case TxPlBtnFrameType::bffBump:
          DrawFrameEdge(canvas, draw::kEdgeBump, draw::kBfRect);
          break;
      }
      break;
    case TxPlButtonStyle::bsRoundRect:
      canvas.SetPenColor(kRoundOutline);
      canvas.SetPenWidth(Scaled(1));
      canvas.RoundRect(0, 0, width_, height_, Scaled(kRoundSize), Scaled(kRoundSize));
      break;
    case TxPlButtonStyle::bsFlatNoFrame:
    case TxPlButtonStyle::bsRoundRectNoFrame:
      break;
  }
}

void TxPlButton::DrawFocus(ICanvas& canvas) {
  frameRect_ = TRect{0, 0, width_, height_};
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
  frameRect_ = TRect{inset, inset, width_ - inset, height_ - inset};
  if (buttonStyle_ == TxPlButtonStyle::bsFlat) {
    // Follow the inner ring of the flat frames, which differs by a pixel from the raised edge.
    if (flatFrameType_ == TxPlBtnFrameType::bffBump) {
      ++frameRect_.Right;
      ++frameRect_.Bottom;
    } else if (flatFrameType_ == TxPlBtnFrameType::bffEtched) {
      --frameRect_.Right;
      --frameRect_.Bottom;
    }
  }
  const TColor previous = canvas.FontColor();
  ScopeExit restore([&] { canvas.SetFontColor(previous); });
  canvas.SetFontColor(clWhite);
  // The focus rectangle is a one-pixel dotted line; a scaled one is that many nested rectangles.
  const TRect outer = frameRect_;
  for (int i = 0; i < Scaled(1); ++i) {
    canvas.DrawFocusRect(TRect{outer.Left + i, outer.Top + i, outer.Right - i, outer.Bottom - i});
  }
  frameRect_ = outer;
}

// The system's edges are one pixel per ring (outer and inner); scaled, each ring is drawn that
// many times, the outer rings from the border inwards and then the inner rings.
void TxPlButton::DrawFrameEdge(ICanvas& canvas, unsigned edge, unsigned flags) {
  const int width = Scaled(1);
  if (width == 1) {
    canvas.DrawEdge(frameRect_, edge, flags);
    return;
  }
  const TRect r = frameRect_;
  const auto inset = [&r](int i) {
    return TRect{r.Left + i, r.Top + i, r.Right - i, r.Bottom - i};
  };
  for (int i = 0; i < width; ++i) canvas.DrawEdge(inset(i), edge & draw::kEdgeOuterMask, flags);
  for (int i = 0; i < width; ++i) {
    canvas.DrawEdge(inset(width + i), edge & draw::kEdgeInnerMask, flags);
  }
}

}  // namespace qv
