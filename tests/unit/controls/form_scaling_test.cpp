// The dialog's form description laid out at the usual display scalings.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "controls/form_scaling.h"
#include "controls/plain_button.h"
#include "dialog/share_dialog_form.h"
#include "fake_hosts.h"
#include "framework/errors.h"

namespace qv::test {
namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

// The oracle: the designed length times the scale, rounded half away from zero in floating
// point (independent of the integer arithmetic under test).
int Expected(std::int64_t designed, int dpi) {
  const double exact = static_cast<double>(designed) * dpi / 96.0;
  return static_cast<int>(std::copysign(std::floor(std::fabs(exact) + 0.5), exact));
}

TEST(FormScaling, EverySettingOfTheWholeDialogAtEachDpi) {
  const FormDescription& form = ShareDialogFormDescription();
  for (int dpi : kDpis) {
    SCOPED_TRACE(dpi);
    const FormLayout layout = LayOutForm(form, dpi, 16, 39);
    EXPECT_EQ(layout.Dpi, dpi);
    EXPECT_EQ(layout.ClientWidth, Expected(612 - 16, dpi));
    EXPECT_EQ(layout.ClientHeight, Expected(388 - 39, dpi));
    EXPECT_EQ(layout.FontHeight, Expected(-12, dpi));
    ASSERT_EQ(layout.Controls.size(), form.Controls.size());
    for (std::size_t i = 0; i < form.Controls.size(); ++i) {
      const FormObjectDescription& designed = form.Controls[i];
      const FormObjectDescription& scaled = layout.Controls[i];
      SCOPED_TRACE(designed.Name.bytes());
      EXPECT_EQ(scaled.Name, designed.Name);
      ASSERT_EQ(scaled.Properties.size(), designed.Properties.size());
      for (std::size_t k = 0; k < designed.Properties.size(); ++k) {
        const StoredProperty& d = designed.Properties[k];
        const StoredProperty& s = scaled.Properties[k];
        EXPECT_EQ(s.Name, d.Name);
        const auto* value = std::get_if<std::int64_t>(&d.Value);
        if (value && IsLengthProperty(d.Name)) {
          EXPECT_EQ(std::get<std::int64_t>(s.Value), Expected(*value, dpi)) << d.Name;
        } else {
          EXPECT_EQ(s.Value, d.Value) << d.Name;  // counts, flags, texts, colours unchanged
        }
      }
    }
  }
}

// At 96 DPI the description is the dialog's designed layout, to the pixel; at 144 DPI the same
// places times one and a half.
TEST(FormScaling, KnownPlacesAt96And144) {
  const struct {
    const char* name;
    int left, top, width, height;  // -1: not stored (sized by the text or the form)
    int left144, top144, width144, height144;
  } cases[] = {
      {"headerPanel", 0, 0, -1, 97, 0, 0, -1, 146},
      {"headerIcon", 32, 16, 32, 32, 48, 24, 48, 48},
      {"headerLine1", 88, 16, -1, -1, 132, 24, -1, -1},
      {"headerLine3", 88, 64, -1, -1, 132, 96, -1, -1},
      {"browseHintLabel", 40, 128, -1, -1, 60, 192, -1, -1},
      {"sharePathLabel", 40, 160, -1, -1, 60, 240, -1, -1},
      {"txtSharePath", 136, 157, 265, 18, 204, 236, 398, 27},
      {"btnSansyo", 408, 155, 49, 23, 612, 233, 74, 35},
      {"sharePathExampleLabel", 136, 184, -1, -1, 204, 276, -1, -1},
      {"shareNameHintLabel", 40, 224, -1, -1, 60, 336, -1, -1},
      {"shareNameLabel", 40, 256, -1, -1, 60, 384, -1, -1},
      {"txtShareName", 136, 253, 137, 18, 204, 380, 206, 27},
      {"shareNameExampleLabel", 136, 280, -1, -1, 204, 420, -1, -1},
      {"btnShare", 360, 304, 81, 26, 540, 456, 122, 39},
      {"btnCancel", 472, 304, 81, 26, 708, 456, 122, 39},
      {"layoutMemo", 8, 296, 185, 49, 12, 444, 278, 74},
      {"busyLabel", 232, 311, -1, -1, 348, 467, -1, -1},
  };
  const FormLayout at96 = LayOutForm(ShareDialogFormDescription(), 96, 16, 39);
  const FormLayout at144 = LayOutForm(ShareDialogFormDescription(), 144, 16, 39);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto check = [](const FormObjectDescription& d, int l, int t, int w, int h) {
      EXPECT_EQ(IntSetting(d, "Left"), l);
      EXPECT_EQ(IntSetting(d, "Top"), t);
      EXPECT_EQ(IntSetting(d, "Width").value_or(-1), w);
      EXPECT_EQ(IntSetting(d, "Height").value_or(-1), h);
    };
    check(at96.Control(AnsiString(c.name)), c.left, c.top, c.width, c.height);
    check(at144.Control(AnsiString(c.name)), c.left144, c.top144, c.width144, c.height144);
  }
  // The edit field's byte limit is a count, not a length.
  EXPECT_EQ(IntSetting(at144.Control("txtShareName"), "MaxLength"), 80);
  EXPECT_EQ(IntSetting(at144.Control("btnShare"), "TabOrder"), 3);
  EXPECT_EQ(IntSetting(at144.Control("btnShare"), "CaptionTop"), 12);
  EXPECT_THROW(at144.Control("nothing"), Exception);
}

// A window moved between screens is laid out again through the same function; the buttons take
// the new geometry without losing what the program set on them since.
TEST(FormScaling, ButtonsFollowEveryDpiChangeAndComeBack) {
  const FormLayout at96 = LayOutForm(ShareDialogFormDescription(), 96, 0, 0);
  const FormObjectDescription& designed = at96.Control("btnCancel");
  for (bool centred : {false, true}) {
    SCOPED_TRACE(centred);
    FakeButtonHost host;
    PlainButton button{host};
    host.button = &button;
    ReadButtonDescription(button, designed, [](const StoredProperty&) {});
    if (centred) button.SetCaptionVertCenter(true);
    for (int dpi : {144, 192, 120, 96}) {
      SCOPED_TRACE(dpi);
      ApplyButtonGeometry(button, ScaleDescription(designed, dpi));
      EXPECT_EQ(button.Left(), Expected(472, dpi));
      EXPECT_EQ(button.Top(), Expected(304, dpi));
      EXPECT_EQ(button.Width(), Expected(81, dpi));
      EXPECT_EQ(button.Height(), Expected(26, dpi));
      EXPECT_EQ(button.CaptionVertCenter(), centred);
      if (!centred) {
        EXPECT_EQ(button.CaptionTop(), Expected(8, dpi));
      }
      EXPECT_EQ(button.CaptionA().Caption(), "キャンセル");
      ASSERT_FALSE(host.bounds.empty());
      const int left = Expected(472, dpi), top = Expected(304, dpi);
      EXPECT_EQ(host.bounds.back(),
                (Rect{left, top, left + Expected(81, dpi), top + Expected(26, dpi)}));
    }
  }
}

}  // namespace
}  // namespace qv::test
