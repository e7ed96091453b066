// Reading the controls' form descriptions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/edit.h"
#include "controls/form_description.h"
#include "controls/plain_button.h"
#include "fake_hosts.h"
#include "framework/errors.h"
#include "recording_canvas.h"

namespace qv::test {
namespace {

using P = StoredProperty;

FormObjectDescription DialogButton(const char* name, const char* caption, int left, int top,
                                   int width, int height, int tabOrder) {
  return {AnsiString(name),
          {P{"Left", std::int64_t{left}}, P{"Top", std::int64_t{top}},
           P{"Width", std::int64_t{width}}, P{"Height", std::int64_t{height}},
           P{"TabOrder", std::int64_t{tabOrder}}, P{"OnClick", FormIdent{"btnClick"}},
           P{"Image.Top", std::int64_t{0}}, P{"CaptionA.Caption", AnsiString(caption)},
           P{"CaptionTop", std::int64_t{8}}, P{"CaptionVertCenter", false}}};
}

TEST(FormDescription, DialogButtonsAreReadThroughTheSettersAndCentredAfterwards) {
  struct Case {
    FormObjectDescription description;
    int centredTop;
  };
  const std::vector<Case> cases = {
      {DialogButton("btnSansyo", "参照", 408, 155, 49, 23, 1), 6},
      {DialogButton("btnShare", "共有", 360, 304, 81, 26, 3), 8},
      {DialogButton("btnCancel", "キャンセル", 472, 304, 81, 26, 4), 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description.Name.bytes());
    FakeButtonHost host;
    PlainButton button(host);
    std::vector<std::string> forwarded;
    ReadButtonDescription(button, c.description,
                          [&](const StoredProperty& p) { forwarded.push_back(p.Name); });
    EXPECT_EQ(forwarded, std::vector<std::string>{"OnClick"});
    EXPECT_EQ(button.Name(), c.description.Name);
    EXPECT_EQ(button.CaptionA().Caption(), std::get<AnsiString>(c.description.Properties[7].Value));
    EXPECT_EQ(host.windowText, button.CaptionA().Caption());
    EXPECT_TRUE(button.CaptionFromNameDone());
    EXPECT_EQ(button.CaptionTop(), 8);
    EXPECT_FALSE(button.CaptionVertCenter());
    EXPECT_TRUE(button.Image().VertCenter());  // Image.Top 0 changed nothing
    EXPECT_EQ(button.TabOrder(), std::get<std::int64_t>(c.description.Properties[4].Value));
    EXPECT_EQ(host.bounds.back(), (Rect{button.Left(), button.Top(), button.Left() + button.Width(),
                                        button.Top() + button.Height()}));

    // The creation step turns centring on again; painting computes the centred top.
    button.SetCaptionVertCenter(true);
    RecordingCanvas canvas;
    button.Paint(canvas);
    EXPECT_EQ(button.CaptionTop(), c.centredTop);
    ASSERT_EQ(canvas.Log().Count(Op::DeviceTextOut), 1u);
    EXPECT_EQ(canvas.Log().Of(Op::DeviceTextOut)[0].y, c.centredTop);
  }
}

TEST(FormDescription, AStoredCentringFlagWinsOverAStoredPosition) {
  FakeButtonHost host;
  PlainButton button(host);
  ReadButtonDescription(button, {"b",
                                 {P{"Image.Top", std::int64_t{4}}, P{"Image.VertCenter", true},
                                  P{"CaptionTop", std::int64_t{8}}, P{"CaptionVertCenter", true}}});
  EXPECT_TRUE(button.CaptionVertCenter());
  EXPECT_TRUE(button.Image().VertCenter());
  EXPECT_EQ(button.CaptionTop(), 8);
}

TEST(FormDescription, UnknownPropertiesAndWrongValuesAreErrors) {
  FakeButtonHost host;
  PlainButton button(host);
  EXPECT_THROW(ReadButtonDescription(button, {"b", {P{"Bogus", true}}}), Exception);
  EXPECT_THROW(ReadButtonDescription(button, {"b", {P{"CaptionTop", true}}}), Exception);
  EXPECT_THROW(ReadButtonDescription(button, {"b", {P{"ButtonStyle", FormIdent{"bsOval"}}}}),
               Exception);
  EXPECT_THROW(ReadButtonDescription(button, {"b", {P{"Width", std::int64_t{1} << 40}}}),
               Exception);
  ReadButtonDescription(
      button, {"b",
               {P{"ButtonStyle", FormIdent{"bsRoundRect"}},
                P{"GradBeginColor", std::int64_t{0xFF0000}}, P{"Color", FormIdent{"clWindow"}}}});
  EXPECT_EQ(button.ButtonStyle(), PlainButtonStyle::RoundRect);
  EXPECT_EQ(button.GradBeginColor(), 0xFF0000u);
  EXPECT_EQ(button.Color(), clWindow);
}

TEST(FormDescription, EditFieldsOfTheDialogKeepTheirDefaults) {
  FakeEditHost host;
  host.text = "C:\\VeltoData";
  EditBox edit(host);
  std::vector<std::string> forwarded;
  ReadEditDescription(
      edit,
      {"txtSharePath",
       {P{"Left", std::int64_t{136}}, P{"Ctl3D", false}, P{"ParentCtl3D", false},
        P{"ReadOnly", true}, P{"TabOrder", std::int64_t{0}}, P{"KeyEdit3D", FormIdent{"bsNone"}}}},
      [&](const StoredProperty& p) { forwarded.push_back(p.Name); });
  EXPECT_EQ(forwarded, (std::vector<std::string>{"Left", "ReadOnly", "TabOrder"}));
  EXPECT_EQ(edit.Name(), "txtSharePath");
  EXPECT_EQ(edit.KeyEdit3D(), BorderStyle::None);
  EXPECT_FALSE(edit.Ctl3D());
  EXPECT_EQ(host.recreations, 1);  // the flat border, not the stored bsNone
  EXPECT_EQ(host.text, "C:\\VeltoData");
}

TEST(FormDescription, EditOwnSettings) {
  FakeEditHost host;
  EditBox edit(host);
  ReadEditDescription(edit, {"e",
                             {P{"Text", AnsiString("x")}, P{"KeyEdit3D", FormIdent{"bsSingle"}},
                              P{"ParentCtl3D", false}}});
  EXPECT_EQ(host.text, "x");
  EXPECT_EQ(edit.KeyEdit3D(), BorderStyle::Single);
  EXPECT_TRUE(edit.Ctl3D());
  EXPECT_FALSE(edit.ParentCtl3D());
  EXPECT_EQ(host.recreations, 1);
  // Settings the field does not keep, without a window to take them, and values of the wrong kind.
  for (const P& p : {P{"MaxLength", std::int64_t{80}}, P{"Long", std::int64_t{0}},
                     P{"KeyEdit3D", FormIdent{"bsDouble"}}, P{"Ctl3D", std::int64_t{1}}}) {
    SCOPED_TRACE(p.Name);
    EXPECT_THROW(ReadEditDescription(edit, {"e", {p}}), Exception);
  }
}

}  // namespace
}  // namespace qv::test
