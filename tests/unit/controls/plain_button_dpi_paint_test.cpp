// The plain button painted at 144 DPI (150 %): the dialog's share button, read from its scaled
// description, drawn as the 96-DPI face one and a half times larger.
#include <gtest/gtest.h>

#include <vector>

#include "controls/form_scaling.h"
#include "controls/plain_button.h"
#include "fake_hosts.h"
#include "recording_canvas.h"

namespace qv::test {
namespace {

using P = StoredProperty;

const FormObjectDescription kShareButton{
    "btnShare",
    {P{"Left", std::int64_t{360}}, P{"Top", std::int64_t{304}}, P{"Width", std::int64_t{81}},
     P{"Height", std::int64_t{26}}, P{"Image.Top", std::int64_t{0}},
     P{"CaptionA.Caption", AnsiString("共有")}, P{"CaptionTop", std::int64_t{8}},
     P{"CaptionVertCenter", false}}};

class PlButtonAt144 : public ::testing::Test {
 protected:
  PlButtonAt144() {
    host.button = &button;
    ReadButtonDescription(button, ScaleDescription(kShareButton, 144));
    button.SetDpi(144);
  }

  // What is drawn on the off-screen face.
  std::vector<DrawRecord> Paint(Op op) {
    canvas.Log().records.clear();
    button.Paint(canvas);
    std::vector<DrawRecord> out;
    for (const DrawRecord& r : canvas.Records()) {
      if (r.canvas == canvas.Log().offscreenCount && r.op == op) out.push_back(r);
    }
    return out;
  }

  FakeButtonHost host;
  PlainButton button{host};
  RecordingCanvas canvas;
};

TEST_F(PlButtonAt144, OneGradationRowPerPixelOfTheScaledHeight) {
  EXPECT_EQ(button.Width(), 122);
  EXPECT_EQ(button.Height(), 39);
  Paint(Op::LineTo);
  const auto offscreen = canvas.Log().Of(Op::CreateOffscreen);
  ASSERT_EQ(offscreen.size(), 1u);
  EXPECT_EQ(offscreen[0].width, 122);
  EXPECT_EQ(offscreen[0].height, 39);
  const std::vector<Color> rows = GradationRows(canvas.Log(), 1);
  ASSERT_EQ(rows.size(), 39u);
  EXPECT_EQ(rows.front(), RgbColor(255, 255, 255));
  EXPECT_EQ(rows.back(), RgbColor(192, 192, 192));
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_LE(RedOf(rows[i]), RedOf(rows[i - 1])) << "row " << i;
    EXPECT_GE(RedOf(rows[i - 1]) - RedOf(rows[i]), 1) << "no two rows alike at this height";
  }
}

TEST_F(PlButtonAt144, CaptionAtTheScaledTopAndShiftedTwoPixelsWhenPressed) {
  const auto texts = Paint(Op::DeviceTextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].x, 61);  // centred: half the width
  EXPECT_EQ(texts[0].y, 12);  // the stored top 8 at 150 %
  EXPECT_EQ(texts[0].text, "共有");

  host.active = true;
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 10, 10, false);
  const auto pressed = Paint(Op::DeviceTextOut);
  ASSERT_EQ(pressed.size(), 1u);
  EXPECT_EQ(pressed[0].x, 63);
  EXPECT_EQ(pressed[0].y, 14);

  // Centred vertically: (39 - 12) / 2 plus the scaled one-pixel drop.
  button.HandleMouseUp(MouseButton::Left, {}, 200, 200);
  button.SetCaptionVertCenter(true);
  const auto centred = Paint(Op::DeviceTextOut);
  ASSERT_EQ(centred.size(), 1u);
  EXPECT_EQ(centred[0].y, 13 + 2);
}

TEST_F(PlButtonAt144, RaisedFrameIsTwoPixelsPerRingAndTheFocusRectangleTwoDeep) {
  host.active = true;
  const auto edges = Paint(Op::DrawEdge);
  const struct {
    Rect rect;
    unsigned edge;
  } expected[] = {{{0, 0, 122, 39}, 1},
                  {{1, 1, 121, 38}, 1},  // raised outer ring
                  {{2, 2, 120, 37}, 4},
                  {{3, 3, 119, 36}, 4}};  // raised inner ring
  ASSERT_EQ(edges.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(edges[i].rect, expected[i].rect) << i;
    EXPECT_EQ(edges[i].edge, expected[i].edge) << i;
    EXPECT_EQ(edges[i].flags, 0x0Fu) << i;
  }
  const auto focus = Paint(Op::DrawFocusRect);
  ASSERT_EQ(focus.size(), 2u);
  EXPECT_EQ(focus[0].rect, (Rect{5, 5, 117, 34}));  // inset 3 at 150 %, rounded up
  EXPECT_EQ(focus[1].rect, (Rect{6, 6, 116, 33}));
  EXPECT_EQ(button.FrameRect(), (Rect{5, 5, 117, 34}));
}

TEST_F(PlButtonAt144, PressedFrameRingsAreTwoPixelsWide) {
  host.active = true;
  button.HandleMouseDown(MouseButton::Left, {ShiftFlag::Left}, 10, 10, false);
  Paint(Op::LineTo);
  const auto moves = canvas.Log().Of(Op::MoveTo);
  // Each ring starts at its bottom-left corner: four rings, two of each colour.
  std::vector<std::pair<int, Color>> starts;
  for (const DrawRecord& m : moves) {
    const bool ringColour = m.penColor == clBtnShadow || m.penColor == 0x808080;
    if (m.canvas == 1 && ringColour && m.y == button.Height() - 1 - m.x) {
      starts.push_back({m.x, m.penColor});
    }
  }
  ASSERT_EQ(starts.size(), 4u);
  EXPECT_EQ(starts[0], (std::pair<int, Color>{0, clBtnShadow}));
  EXPECT_EQ(starts[1], (std::pair<int, Color>{1, clBtnShadow}));
  EXPECT_EQ(starts[2], (std::pair<int, Color>{2, 0x808080}));
  EXPECT_EQ(starts[3], (std::pair<int, Color>{3, 0x808080}));
}

TEST_F(PlButtonAt144, RoundedOutlineShapeAndFocusScaleTheirCorners) {
  button.SetButtonStyle(PlainButtonStyle::RoundRect);
  ASSERT_FALSE(host.shapesSet.empty());
  EXPECT_EQ(host.shapesSet.back().bounds, (Rect{0, 0, 123, 40}));
  EXPECT_EQ(host.shapesSet.back().ellipseWidth, 15);
  EXPECT_EQ(host.shapesSet.back().ellipseHeight, 15);

  host.active = true;
  const auto rounds = Paint(Op::RoundRect);
  ASSERT_EQ(rounds.size(), 3u);  // the outline, then two dotted focus rings
  EXPECT_EQ(rounds[0].rect, (Rect{0, 0, 122, 39}));
  EXPECT_EQ(rounds[0].width, 15);
  EXPECT_EQ(rounds[0].penWidth, 2);
  EXPECT_EQ(rounds[0].penColor, 0x757575u);
  EXPECT_FALSE(rounds[0].alternatePen);
  EXPECT_EQ(rounds[1].rect, (Rect{3, 3, 119, 36}));
  EXPECT_EQ(rounds[1].width, 12);
  EXPECT_TRUE(rounds[1].alternatePen);
  EXPECT_EQ(rounds[2].rect, (Rect{4, 4, 118, 35}));
  EXPECT_TRUE(rounds[2].alternatePen);

  // Back on a 96-DPI screen the shape is the designed one again.
  button.SetDpi(96);
  EXPECT_EQ(host.shapesSet.back().ellipseWidth, 10);
}

}  // namespace
}  // namespace qv::test
