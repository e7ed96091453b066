// Reading the controls' form descriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/edit.h"
#include "controls/form_description.h"
#include "controls/plain_button.h"
#include "dialog/share_dialog_form.h"
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
  for (const P& p :
       {P{"MaxLength", std::int64_t{80}}, P{"Long", AnsiString("0")},
        P{"Long", std::int64_t{0x80000000}}, P{"KeyEdit3D", FormIdent{"bsDouble"}},
        P{"Ctl3D", std::int64_t{1}}, P{"KeyStyles", FormSet{{"ksTab"}}},
        P{"KeyStyles", FormIdent{"ksEnter"}}, P{"CursorPos", FormIdent{"cpMiddle"}},
        P{"Alignment", FormIdent{"taCenterJustify"}}, P{"ImeMode", FormIdent{"imNone"}},
        P{"Curr", AnsiString("1,5")}, P{"kana", std::int64_t{1}}, P{"KanaSw", std::int64_t{1}},
        P{"KillPaste", FormIdent{"True"}}}) {
    SCOPED_TRACE(p.Name);
    EXPECT_THROW(ReadEditDescription(edit, {"e", {p}}), Exception);
  }
}

TEST(FormDescription, EditExtendedSettings) {
  FakeEditHost host;
  EditBox edit(host);
  ReadEditDescription(edit, {"e",
                             {P{"Text", AnsiString("x")}, P{"ImeMode", FormIdent{"imDisable"}},
                              P{"Alignment", FormIdent{"taRightJustify"}},
                              P{"KeyStyles", FormSet{{"ksEnter", "ksDown"}}},
                              P{"CursorPos", FormIdent{"cpRight"}}, P{"Curr", AnsiString("12.5")},
                              P{"kana", AnsiString()}, P{"KanaSw", true}, P{"KillPaste", false}}});
  EXPECT_EQ(edit.ImeMode(), InputMethodMode::Disable);
  EXPECT_EQ(edit.Alignment(), TextAlignment::Right);
  EXPECT_EQ(edit.KeyStyles(), (FocusKeys{FocusKey::Enter, FocusKey::Down}));
  EXPECT_EQ(edit.CursorPos(), EntryCaret::Right);
  EXPECT_EQ(host.text, "12.5");
  EXPECT_EQ(edit.Reading(), "");
  EXPECT_TRUE(edit.CapturesReading());
  EXPECT_FALSE(edit.KillPaste());
  EXPECT_EQ(host.recreations, 1);  // the alignment

  ReadEditDescription(edit, {"e",
                             {P{"Long", std::int64_t{-5}}, P{"kana", AnsiString("\x82\xA0")},
                              P{"KeyStyles", FormSet{}}, P{"CursorPos", FormIdent{"cpAllSel"}}}});
  EXPECT_EQ(host.text, "-5");
  EXPECT_EQ(edit.Reading(), "\x82\xA0");
  EXPECT_EQ(edit.KeyStyles(), FocusKeys{});
  EXPECT_EQ(edit.CursorPos(), EntryCaret::SelectAll);
}

// Both fields of the dialog read their stored settings, the no-op Long 0 included, and keep the
// text and the defaults of their kind. The sink takes what the window keeps, as the window does.
TEST(FormDescription, TheDialogsFieldsReadTheirStoredSettings) {
  const std::vector<std::string> windowKeeps = {"Left",     "Top",     "Width",     "Height",
                                                "ReadOnly", "TabStop", "MaxLength", "Color",
                                                "Visible",  "TabOrder"};
  int fields = 0;
  for (const FormObjectDescription& d : ShareDialogFormDescription().Controls) {
    if (d.Name != share_dialog_form::kSharePathEdit && d.Name != share_dialog_form::kShareNameEdit)
      continue;
    SCOPED_TRACE(d.Name.bytes());
    ++fields;
    FakeEditHost host;
    host.text = "VeltoData";
    EditBox edit(host);
    EXPECT_NO_THROW(ReadEditDescription(edit, d, [&](const StoredProperty& p) {
      if (std::find(windowKeeps.begin(), windowKeeps.end(), p.Name) == windowKeeps.end())
        throw Exception(Format("プロパティ %s は存在しません", p.Name.c_str()));
    }));
    EXPECT_EQ(host.text, "VeltoData");
    EXPECT_EQ(edit.KeyEdit3D(), BorderStyle::None);
    EXPECT_EQ(edit.Long(), 0);
    EXPECT_EQ(edit.KeyStyles(), (FocusKeys{FocusKey::Enter, FocusKey::Up}));
    EXPECT_EQ(edit.CursorPos(), EntryCaret::SelectAll);
    EXPECT_EQ(edit.ImeMode(), InputMethodMode::DontCare);
    EXPECT_FALSE(edit.CapturesReading());
    EXPECT_TRUE(edit.KillPaste());
    EXPECT_EQ(edit.Alignment(), TextAlignment::Left);
    // The stored Long is really there, not merely accepted by its absence.
    EXPECT_NE(std::find(d.Properties.begin(), d.Properties.end(),
                        StoredProperty{"Long", std::int64_t{0}}),
              d.Properties.end());
  }
  EXPECT_EQ(fields, 2);
}

}  // namespace
}  // namespace qv::test
