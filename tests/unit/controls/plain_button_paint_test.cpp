// The plain button's face, recorded as drawing operations.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "controls/plain_button.h"
#include "fake_graphic.h"
#include "fake_hosts.h"
#include "recording_canvas.h"

namespace qv::test {
namespace {

using Pixels = std::map<std::pair<int, int>, Color>;

// The pixels the horizontal and vertical lines on one canvas set, end points excluded; a later
// line overwrites an earlier one.
Pixels LinePixels(const RecordingLog& log, int canvas) {
  Pixels pixels;
  int px = 0, py = 0;
  for (const DrawRecord& r : log.records) {
    if (r.canvas != canvas) continue;
    if (r.op == Op::MoveTo) {
      px = r.x;
      py = r.y;
    } else if (r.op == Op::LineTo) {
      const int dx = (r.x > px) - (r.x < px);
      const int dy = (r.y > py) - (r.y < py);
      for (int x = px, y = py; x != r.x || y != r.y; x += dx, y += dy) {
        pixels[{x, y}] = r.penColor;
      }
      px = r.x;
      py = r.y;
    }
  }
  return pixels;
}

class PlButtonPaintTest : public ::testing::Test {
 protected:
  PlButtonPaintTest() { host.button = &button; }

  // Paints the button and returns the operations drawn on its off-screen bitmap.
  std::vector<DrawRecord> Paint() {
    canvas.Log().records.clear();
    button.Paint(canvas);
    std::vector<DrawRecord> face;
    for (const DrawRecord& r : canvas.Records()) {
      if (r.canvas == canvas.Log().offscreenCount) face.push_back(r);
    }
    return face;
  }
  static std::vector<DrawRecord> Texts(const std::vector<DrawRecord>& face) {
    std::vector<DrawRecord> out;
    for (const DrawRecord& r : face) {
      if (r.op == Op::DeviceTextOut || r.op == Op::TextOutput) out.push_back(r);
    }
    return out;
  }
  static std::vector<DrawRecord> Only(const std::vector<DrawRecord>& face, Op op) {
    std::vector<DrawRecord> out;
    for (const DrawRecord& r : face) {
      if (r.op == op) out.push_back(r);
    }
    return out;
  }

  FakeButtonHost host;
  PlainButton button{host};
  RecordingCanvas canvas;
};

TEST_F(PlButtonPaintTest, DefaultButtonIsComposedOffscreenWithAWhiteToSilverGradation) {
  button.SetBounds(0, 0, 81, 26);
  Paint();
  const RecordingLog& log = canvas.Log();
  ASSERT_EQ(log.Count(Op::CreateOffscreen), 1u);
  EXPECT_EQ(log.Of(Op::CreateOffscreen)[0].width, 81);
  EXPECT_EQ(log.Of(Op::CreateOffscreen)[0].height, 26);
  ASSERT_EQ(log.Count(Op::CopyToTarget), 1u);
  EXPECT_EQ(log.records.back().op, Op::CopyToTarget);
  EXPECT_EQ(log.records.back().canvas, 0);
  EXPECT_EQ(log.records.back().x, 0);
  EXPECT_EQ(log.records.back().y, 0);

  const std::vector<int> expected = {255, 253, 250, 248, 245, 243, 240, 238, 235,
                                     233, 230, 228, 225, 223, 220, 218, 215, 213,
                                     210, 208, 205, 203, 200, 198, 195, 192};
  const std::vector<Color> rows = GradationRows(log, 1);
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i], RgbColor(expected[i], expected[i], expected[i])) << "row " << i;
  }
  for (const DrawRecord& line : log.Of(Op::LineTo)) EXPECT_EQ(line.x, 81);
  // The end colours are resolved and snapped once per paint, end colour first.
  const auto resolved = log.Of(Op::ColorToRGB);
  ASSERT_EQ(resolved.size(), 2u);
  EXPECT_EQ(resolved[0].color, 0xC0C0C0u);
  EXPECT_EQ(resolved[1].color, 0xFFFFFFu);
  EXPECT_EQ(log.Count(Op::NearestColor), 2u);

  const auto edges = log.Of(Op::DrawEdge);
  ASSERT_EQ(edges.size(), 1u);
  EXPECT_EQ(edges[0].rect, (Rect{0, 0, 81, 26}));
  EXPECT_EQ(edges[0].edge, 5u);
  EXPECT_EQ(edges[0].flags, 0x0Fu);
  EXPECT_EQ(edges[0].brushStyle, BrushStyle::Clear);
  EXPECT_EQ(log.Count(Op::DrawFocusRect), 0u);  // not the active control
  EXPECT_EQ(button.FrameRect(), (Rect{0, 0, 81, 26}));
}

TEST_F(PlButtonPaintTest, GradationUsesTheSnappedSystemColours) {
  canvas.snap = [](Color c) { return c & 0xF8F8F8; };
  button.SetGradBeginColor(clBtnHighlight);           // resolves to white
  button.SetGradEndColor(clBtnFace);                  // resolves to 240, 240, 240, snapped to 240
  canvas.systemColors[15] = RgbColor(205, 205, 205);  // snapped to 200
  button.SetHeight(2);
  Paint();
  EXPECT_EQ(GradationRows(canvas.Log(), 1),
            (std::vector<Color>{RgbColor(248, 248, 248), RgbColor(200, 200, 200)}));
}

TEST_F(PlButtonPaintTest, HeightsOneAndZero) {
  button.SetGradBeginColor(0x0000FF);
  button.SetHeight(1);
  Paint();
  EXPECT_EQ(GradationRows(canvas.Log(), 1), std::vector<Color>{0x0000FF});
  button.SetHeight(0);
  const auto face = Paint();
  EXPECT_TRUE(GradationRows(canvas.Log(), 1).empty());
  EXPECT_EQ(Only(face, Op::LineTo).size(), 0u);
}

TEST_F(PlButtonPaintTest, WithoutGradationTheBackgroundIsTheColour) {
  button.SetGradation(false);
  const auto face = Paint();
  EXPECT_TRUE(Only(face, Op::LineTo).empty());
  const auto fills = Only(face, Op::FillRect);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, 75, 26}));
  const auto brush = Only(face, Op::SetBrushColor);
  ASSERT_FALSE(brush.empty());
  EXPECT_EQ(brush.back().color, clBtnFace);
}

TEST_F(PlButtonPaintTest, WithParentColourTheButtonIsDrawnDirectly) {
  button.SetGradation(false);
  button.SetParentColor(true);
  button.Paint(canvas);
  EXPECT_EQ(canvas.Log().Count(Op::CreateOffscreen), 0u);
  EXPECT_EQ(canvas.Log().Count(Op::FillRect), 1u);
  EXPECT_EQ(canvas.Log().Of(Op::FillRect)[0].canvas, 0);
}

TEST_F(PlButtonPaintTest, CentredCaptionLines) {
  struct Case {
    const char* a;
    const char* b;
    int height;
    std::vector<int> tops;
    int captionTop;
  };
  const std::vector<Case> cases = {
      {"共有", "", 26, {8}, 8}, {"参照", "", 23, {6}, 6}, {"上", "下", 26, {-1, 15}, -1},
      {"", "下", 26, {7}, 7},  // one pixel higher than the same line as CaptionA
      {"", "", 26, {}, 7},     // nothing drawn; the second line's top is the last one stored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.a << "/" << c.b << " on " << c.height);
    FakeButtonHost h;
    PlainButton b(h);
    b.SetHeight(c.height);
    b.CaptionA().SetCaption(AnsiString(c.a));
    b.CaptionB().SetCaption(AnsiString(c.b));
    RecordingCanvas rc;
    b.Paint(rc);
    std::vector<int> tops;
    for (const DrawRecord& r : rc.Log().Of(Op::DeviceTextOut)) {
      tops.push_back(r.y);
      EXPECT_EQ(r.x, 37);  // Width div 2
      EXPECT_EQ(r.textAlign, 6u);
      EXPECT_EQ(r.brushStyle, BrushStyle::Clear);
      EXPECT_EQ(r.fontColor, clWindowText);
    }
    EXPECT_EQ(tops, c.tops);
    EXPECT_EQ(b.CaptionTop(), c.captionTop);
    EXPECT_TRUE(b.CaptionVertCenter());
  }
}

TEST_F(PlButtonPaintTest, UncentredCaptionsStartAtCaptionTop) {
  button.CaptionA().SetCaption("A");
  button.CaptionB().SetCaption("B");
  button.SetCaptionTop(3);
  button.SetCaptionLineSpace(2);
  auto texts = Texts(Paint());
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].y, 3);
  EXPECT_EQ(texts[1].y, 3 + 12 + 2);

  button.CaptionA().SetCaption("");
  texts = Texts(Paint());
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].y, 3);
  EXPECT_EQ(button.CaptionTop(), 3);
}

TEST_F(PlButtonPaintTest, AlignmentsPlaceTheAnchor) {
  struct Case {
    CaptionAlignment alignment;
    int x;
    unsigned textAlign;
  };
  // Width 75, Left margin 5, Right margin 7.
  const std::vector<Case> cases = {{CaptionAlignment::Center, 37, 6},
                                   {CaptionAlignment::Left, 7, 0},
                                   {CaptionAlignment::Right, 66, 2}};
  button.CaptionA().SetCaption("OK");
  button.CaptionA().SetLeft(5);
  button.CaptionA().SetRight(7);
  for (const Case& c : cases) {
    button.CaptionA().SetAlignment(c.alignment);
    const auto texts = Texts(Paint());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].op, Op::DeviceTextOut);
    EXPECT_EQ(texts[0].x, c.x);
    EXPECT_EQ(texts[0].textAlign, c.textAlign);
    EXPECT_EQ(texts[0].text, "OK");
  }
}

TEST_F(PlButtonPaintTest, EvenSpacingSharesTheRoomWithItsRemainder) {
  struct Case {
    const char* text;
    int left, right, wholeAdjust;
    std::vector<int> xs;
  };
  // Width 81: room = 81 - left - right - 4. Narrow characters are 6 wide, wide ones 12.
  const std::vector<Case> cases = {
      // 77 - 24 = 53 = 3 gaps of 17, remainder 2: the last character ends at Width - 2.
      {"ABCD", 0, 0, 0, {2, 26, 50, 73}},
      // The whole text measures 2 less than its characters: the last ends 2 beyond.
      {"ABCD", 0, 0, -2, {2, 27, 51, 75}},
      // Double-byte characters count once: 67 - 36 = 31 = 2 gaps of 15, remainder 1.
      {"キャン", 4, 6, 0, {6, 34, 61}},
      // A little wider than the room: 77 - 84 = -7 = 13 gaps of 0, remainder -7.
      {"ABCDEFGHIJKLMN", 0, 0, 0, {2, 7, 12, 17, 22, 27, 32, 37, 43, 49, 55, 61, 67, 73}},
      // Much wider: 37 - 84 = -47 = 13 gaps of -3, remainder -8; the characters overlap.
      {"ABCDEFGHIJKLMN", 20, 20, 0, {22, 24, 26, 28, 30, 32, 34, 36, 38, 41, 44, 47, 50, 53}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FakeButtonHost h;
    PlainButton b(h);
    b.SetWidth(81);
    b.CaptionA().SetCaption(AnsiString(c.text));
    b.CaptionA().SetAlignment(CaptionAlignment::Even);
    b.CaptionA().SetLeft(c.left);
    b.CaptionA().SetRight(c.right);
    RecordingCanvas rc;
    rc.metrics.wholeTextAdjust = c.wholeAdjust;
    b.Paint(rc);
    std::vector<int> xs;
    AnsiString joined;
    for (const DrawRecord& r : rc.Log().Of(Op::TextOutput)) {
      xs.push_back(r.x);
      joined += r.text;
      EXPECT_EQ(r.textAlign, 0u);
      EXPECT_EQ(r.y, 8);
    }
    EXPECT_EQ(xs, c.xs);
    EXPECT_EQ(joined, AnsiString(c.text));
    EXPECT_EQ(rc.Log().Count(Op::DeviceTextOut), 0u);
  }
}

TEST_F(PlButtonPaintTest, EvenSpacingOfOneCharacterCentresIt) {
  button.CaptionA().SetCaption("共");
  button.CaptionA().SetAlignment(CaptionAlignment::Even);
  const auto texts = Texts(Paint());
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].op, Op::DeviceTextOut);
  EXPECT_EQ(texts[0].x, 37);
  EXPECT_EQ(texts[0].textAlign, 6u);
}

TEST_F(PlButtonPaintTest, PressedShiftsPictureAndCaptionOnlyWithHasFocus) {
  button.CaptionA().SetCaption("OK");
  button.Image().SetPicture(PictureOf(GraphicKind::Bitmap, 16, 10));
  for (bool hasFocus : {true, false}) {
    SCOPED_TRACE(hasFocus);
    button.SetHasFocus(hasFocus);
    button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
    ASSERT_TRUE(button.Pressed());
    const auto face = Paint();
    const int d = hasFocus ? 1 : 0;
    const auto texts = Texts(face);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].x, 37 + d);
    EXPECT_EQ(texts[0].y, 8 + d);
    const auto images = Only(face, Op::DrawStateImage);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].x, 10 + d);
    EXPECT_EQ(images[0].y, 8 + d);  // (26 - 10) div 2, stored unshifted
    EXPECT_EQ(button.Image().Top(), 8);
    EXPECT_TRUE(button.Image().VertCenter());
    button.HandleMouseUp(MouseButton::Left, {}, 5, 5);
  }
}

TEST_F(PlButtonPaintTest, PressedNormalFrameIsTwoRings) {
  button.SetBounds(0, 0, 20, 10);
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  const auto face = Paint();
  EXPECT_TRUE(Only(face, Op::DrawEdge).empty());
  const Pixels pixels = LinePixels(canvas.Log(), 1);
  int outer = 0, inner = 0;
  for (int x = 0; x < 20; ++x) {
    for (int y = 0; y < 10; ++y) {
      const bool onOuter = x == 0 || y == 0 || x == 19 || y == 9;
      const bool onInner = !onOuter && (x == 1 || y == 1 || x == 18 || y == 8);
      const Color c = pixels.at({x, y});
      if (onOuter) outer += c == clBtnShadow;
      if (onInner) inner += c == 0x808080;
      if (!onOuter && !onInner) {
        EXPECT_NE(c, 0x808080u) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(outer, 2 * 20 + 2 * 8);
  EXPECT_EQ(inner, 2 * 18 + 2 * 6);
}

TEST_F(PlButtonPaintTest, FramesOfEveryStyle) {
  struct Case {
    PlainButtonStyle style;
    FrameType frame;
    unsigned edge, flags;  // 0: no DrawEdge
    bool roundOutline;
  };
  const std::vector<Case> cases = {
      {PlainButtonStyle::Normal, FrameType::Flat, 5, 0x0F, false},
      {PlainButtonStyle::Flat, FrameType::Flat, 9, 0x400F, false},
      {PlainButtonStyle::Flat, FrameType::Etched, 6, 0x0F, false},
      {PlainButtonStyle::Flat, FrameType::Bump, 9, 0x0F, false},
      {PlainButtonStyle::FlatNoFrame, FrameType::Bump, 0, 0, false},
      {PlainButtonStyle::RoundRect, FrameType::Flat, 0, 0, true},
      {PlainButtonStyle::RoundRectNoFrame, FrameType::Flat, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.style) * 10 + static_cast<int>(c.frame));
    button.SetButtonStyle(c.style);
    button.SetFlatFrameType(c.frame);
    const auto face = Paint();
    const auto edges = Only(face, Op::DrawEdge);
    if (c.edge) {
      ASSERT_EQ(edges.size(), 1u);
      EXPECT_EQ(edges[0].rect, (Rect{0, 0, 75, 26}));
      EXPECT_EQ(edges[0].edge, c.edge);
      EXPECT_EQ(edges[0].flags, c.flags);
    } else {
      EXPECT_TRUE(edges.empty());
    }
    const auto rounds = Only(face, Op::RoundRect);
    ASSERT_EQ(rounds.size(), c.roundOutline ? 1u : 0u);
    if (c.roundOutline) {
      EXPECT_EQ(rounds[0].rect, (Rect{0, 0, 75, 26}));
      EXPECT_EQ(rounds[0].width, 10);
      EXPECT_EQ(rounds[0].height, 10);
      EXPECT_EQ(rounds[0].penColor, 0x757575u);
      EXPECT_EQ(rounds[0].penWidth, 1);
      EXPECT_FALSE(rounds[0].alternatePen);
      EXPECT_EQ(rounds[0].brushStyle, BrushStyle::Clear);
    }
  }
}

TEST_F(PlButtonPaintTest, FocusRectangleFollowsTheFrame) {
  struct Case {
    PlainButtonStyle style;
    FrameType frame;
    Rect rect;
  };
  const std::vector<Case> cases = {
      {PlainButtonStyle::Normal, FrameType::Bump, {3, 3, 78, 23}},
      {PlainButtonStyle::Flat, FrameType::Flat, {3, 3, 78, 23}},
      {PlainButtonStyle::Flat, FrameType::Bump, {3, 3, 79, 24}},
      {PlainButtonStyle::Flat, FrameType::Etched, {3, 3, 77, 22}},
      {PlainButtonStyle::FlatNoFrame, FrameType::Bump, {3, 3, 78, 23}},
  };
  button.SetBounds(0, 0, 81, 26);
  host.active = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.style) * 10 + static_cast<int>(c.frame));
    button.SetButtonStyle(c.style);
    button.SetFlatFrameType(c.frame);
    const auto face = Paint();
    const auto focus = Only(face, Op::DrawFocusRect);
    ASSERT_EQ(focus.size(), 1u);
    EXPECT_EQ(focus[0].rect, c.rect);
    EXPECT_EQ(focus[0].fontColor, clWhite);
    EXPECT_EQ(button.FrameRect(), c.rect);
    // The text colour is put back afterwards.
    ASSERT_EQ(face.back().op, Op::SetFontColor);
    EXPECT_EQ(face.back().color, clWindowText);
  }
  button.SetHasFocus(false);
  EXPECT_TRUE(Only(Paint(), Op::DrawFocusRect).empty());
}

TEST_F(PlButtonPaintTest, RoundedFocusOutlineUsesTheAlternatePen) {
  host.active = true;
  for (PlainButtonStyle style : {PlainButtonStyle::RoundRect, PlainButtonStyle::RoundRectNoFrame}) {
    button.SetButtonStyle(style);
    const auto face = Paint();
    EXPECT_TRUE(Only(face, Op::DrawFocusRect).empty());
    const auto rounds = Only(face, Op::RoundRect);
    ASSERT_FALSE(rounds.empty());
    const DrawRecord& focus = rounds.back();
    EXPECT_EQ(focus.rect, (Rect{2, 2, 73, 24}));
    EXPECT_EQ(focus.width, 8);
    EXPECT_EQ(focus.height, 8);
    EXPECT_TRUE(focus.alternatePen);
    EXPECT_EQ(focus.brushStyle, BrushStyle::Clear);
    const auto pens = Only(face, Op::SelectAlternatePen);
    ASSERT_EQ(pens.size(), 1u);
    EXPECT_EQ(pens[0].color, 0x202020u);
    EXPECT_EQ(face.back().op, Op::ReleaseAlternatePen);
  }
}

TEST_F(PlButtonPaintTest, FocusDrawingRestoresOnFailure) {
  host.active = true;
  canvas.failOn = Op::DrawFocusRect;
  canvas.SetFontColor(0x111111);
  EXPECT_THROW(button.DrawFocus(canvas), std::runtime_error);
  EXPECT_EQ(canvas.FontColor(), 0x111111u);

  button.SetButtonStyle(PlainButtonStyle::RoundRect);
  canvas.failOn = Op::RoundRect;
  EXPECT_THROW(button.DrawFocus(canvas), std::runtime_error);
  EXPECT_EQ(canvas.Records().back().op, Op::ReleaseAlternatePen);
}

TEST_F(PlButtonPaintTest, DisabledLooks) {
  button.CaptionA().SetCaption("OK");
  button.CaptionB().SetCaption("ABCD");
  button.CaptionB().SetAlignment(CaptionAlignment::Even);
  button.Image().SetPicture(PictureOf(GraphicKind::Bitmap, 16, 16));
  button.SetEnabled(false);

  // Embossed: a highlight copy one pixel right and down, then the shadow-coloured text.
  auto face = Paint();
  auto texts = Texts(face);
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(texts[0].fontColor, clBtnHighlight);
  EXPECT_EQ(texts[0].x, 38);
  EXPECT_EQ(texts[0].y, 0);  // two lines: (26 - 24 - 4) div 2 = -1, plus 1
  EXPECT_EQ(texts[1].fontColor, clBtnShadow);
  EXPECT_EQ(texts[1].x, 37);
  EXPECT_EQ(texts[1].y, -1);
  // The even line (gaps of 15 with a remainder of 2): the raised copy is spaced exactly like the
  // line on top of it, so the remainder is shared out afresh for each.
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(texts[2 + k].fontColor, clBtnHighlight);
    EXPECT_EQ(texts[6 + k].fontColor, clBtnShadow);
    EXPECT_EQ(texts[2 + k].x, texts[6 + k].x + 1);
    EXPECT_EQ(texts[2 + k].y, 16);
    EXPECT_EQ(texts[6 + k].y, 15);
  }
  EXPECT_EQ(texts[6].x, 2);
  EXPECT_EQ(texts[9].x, 67);
  auto images = Only(face, Op::DrawStateImage);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].flags, 0x24u);

  button.Image().SetPicture(PictureOf(GraphicKind::Icon, 16, 16));
  EXPECT_EQ(Only(Paint(), Op::DrawStateImage)[0].flags, 0x23u);

  // Without HasFocus: grey text, picture drawn normally.
  button.SetHasFocus(false);
  face = Paint();
  texts = Texts(face);
  ASSERT_EQ(texts.size(), 5u);
  for (const DrawRecord& t : texts) EXPECT_EQ(t.fontColor, clGrayText);
  EXPECT_EQ(Only(face, Op::DrawStateImage)[0].flags, 0x03u);
  button.Image().SetPicture(PictureOf(GraphicKind::Bitmap, 16, 16));
  EXPECT_EQ(Only(Paint(), Op::DrawStateImage)[0].flags, 0x04u);
}

TEST_F(PlButtonPaintTest, PicturePlacement) {
  button.Image().SetPicture(PictureOf(GraphicKind::Icon, 32, 16));
  button.Image().SetHorzCenter(true);
  auto images = Only(Paint(), Op::DrawStateImage);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].x, 21);  // (75 - 32) div 2
  EXPECT_EQ(images[0].y, 5);   // (26 - 16) div 2
  EXPECT_EQ(images[0].flags, 0x03u);
  EXPECT_EQ(button.Image().Left(), 21);
  EXPECT_TRUE(button.Image().HorzCenter());

  button.Image().SetTop(2);
  button.Image().SetLeft(4);
  images = Only(Paint(), Op::DrawStateImage);
  EXPECT_EQ(images[0].x, 4);
  EXPECT_EQ(images[0].y, 2);

  button.Image().SetVisible(false);
  EXPECT_TRUE(Only(Paint(), Op::DrawStateImage).empty());
}

TEST_F(PlButtonPaintTest, TransparentBitmapLeavesOutItsBottomLeftColourAndNeverShifts) {
  button.Image().SetTransparent(true);
  button.Image().SetTop(3);
  button.Image().SetPicture(PictureOf(GraphicKind::Bitmap, 16, 16, 0x00FF00));
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 5, 5, false);
  auto face = Paint();
  EXPECT_TRUE(Only(face, Op::DrawStateImage).empty());
  auto drawn = Only(face, Op::DrawTransparent);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].x, 10);
  EXPECT_EQ(drawn[0].y, 3);
  EXPECT_EQ(drawn[0].color, 0x00FF00u);
  EXPECT_EQ(drawn[0].graphic, button.Image().Picture().Graphic());

  button.Image().SetPicture(PictureOf(GraphicKind::Bitmap, 16, 16, 0x00FF00, true));
  drawn = Only(Paint(), Op::DrawTransparent);
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].color, clWhite);
}

TEST_F(PlButtonPaintTest, OtherGraphicsAreSkipped) {
  // Image assignment copies a picture as it is, so any graphic can reach the painting.
  FakeButtonHost h;
  PlainButton other(h);
  PlainButtonImage source(other);
  source.Picture().Assign(PictureOf(GraphicKind::Other, 8, 8));
  button.SetImage(&source);
  ASSERT_FALSE(button.Image().Picture().Empty());
  const auto face = Paint();
  EXPECT_TRUE(Only(face, Op::DrawStateImage).empty());
  EXPECT_TRUE(Only(face, Op::DrawTransparent).empty());
}

}  // namespace
}  // namespace qv::test
