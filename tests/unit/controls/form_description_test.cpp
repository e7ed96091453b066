// Reading and writing the controls' form descriptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/edit.h"
#include "controls/form_description.h"
#include "controls/linked_components.h"
#include "controls/plain_button.h"
#include "dialog/share_dialog_form.h"
#include "fake_graphic.h"
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

TEST(FormDescription, DefaultButtonWritesOnlyWhatIsAlwaysStored) {
  FakeButtonHost host;
  PlainButton button(host);
  button.SetName("btnOk");
  const FormObjectDescription written = WriteButtonDescription(button);
  EXPECT_EQ(written.Name, "btnOk");
  const std::vector<StoredProperty> expected = {
      P{"Left", std::int64_t{0}},          P{"Top", std::int64_t{0}},
      P{"Width", std::int64_t{75}},        P{"Height", std::int64_t{26}},
      P{"Image.Top", std::int64_t{0}},     P{"CaptionA.Caption", AnsiString()},
      P{"CaptionB.Caption", AnsiString()}, P{"CaptionTop", std::int64_t{0}}};
  EXPECT_EQ(written.Properties, expected);
}

// A button with every stored setting away from its default.
struct FullyConfigured {
  std::shared_ptr<ActionItem> action = std::make_shared<ActionItem>("actShare");
  std::shared_ptr<PopupMenuItem> menu = std::make_shared<PopupMenuItem>("pmShare");
  FormComponents links{[this](const std::string& n) { return n == "actShare" ? action : nullptr; },
                       [this](const std::string& n) { return n == "pmShare" ? menu : nullptr; }};

  void Apply(PlainButton& b) const {
    b.SetName("btnFull");
    b.SetTag(42);
    b.SetBounds(3, 4, 90, 30);
    b.SetCursor(-21);
    b.SetHelpContext(7);
    b.SetHelpKeyword("share");  // help by keyword now, with the context number kept
    b.SetAction(action);
    b.SetAnchors({AnchorSide::Left, AnchorSide::Bottom});
    b.SetAlign(DockAlign::Bottom);
    b.SetColor(0x123456);
    b.SetEnabled(false);
    Font f;
    f.Name = "IPAPGothic";
    f.Height = -16;
    f.Style = 0x05;
    f.Color = clBlue;
    b.SetFont(f);
    b.SetHint("押すと共有します");
    b.SetPopupMenu(menu);
    b.SetShowHint(true);
    b.SetTabOrder(2);
    b.SetTabStop(false);
    b.SetVisible(false);
    b.SetButtonStyle(PlainButtonStyle::Flat);
    b.SetCancel(true);
    b.SetGradation(false);
    b.SetGradBeginColor(clBtnHighlight);
    b.SetGradEndColor(0x00FF00);
    b.SetHasFocus(false);
    b.SetModalResult(2);
    b.Image().SetLeft(4);
    b.Image().SetTop(6);
    b.Image().SetVisible(false);
    b.Image().SetTransparent(true);
    b.Image().SetHorzCenter(true);
    b.CaptionA().SetCaption("共有");
    b.CaptionA().SetAlignment(CaptionAlignment::Even);
    b.CaptionA().SetLeft(1);
    b.CaptionA().SetRight(2);
    b.CaptionB().SetCaption("する");
    b.CaptionB().SetAlignment(CaptionAlignment::Right);
    b.SetCaptionLineSpace(2);
    b.SetCaptionTop(5);
    b.SetFlatFrameType(FrameType::Bump);
  }
};

// A description as text, one "Name = value" per line, the way a form description is shown.
std::string AsText(const FormObjectDescription& d) {
  std::string text;
  for (const StoredProperty& p : d.Properties) {
    text += p.Name + " = ";
    if (const auto* n = std::get_if<std::int64_t>(&p.Value)) text += std::to_string(*n);
    if (const auto* b = std::get_if<bool>(&p.Value)) text += *b ? "True" : "False";
    if (const auto* id = std::get_if<FormIdent>(&p.Value)) text += id->Name;
    if (const auto* str = std::get_if<AnsiString>(&p.Value)) text += "'" + str->bytes() + "'";
    if (const auto* set = std::get_if<FormSet>(&p.Value)) {
      text += "[";
      for (std::size_t i = 0; i < set->Items.size(); ++i) text += (i ? ", " : "") + set->Items[i];
      text += "]";
    }
    text += "\n";
  }
  return text;
}

// Every setting in the stored order, each in its stored form: names for enumerations, and for
// colours and cursors that have one; sets as their members.
TEST(FormDescription, WritingFollowsTheStoredOrder) {
  FullyConfigured full;
  FakeButtonHost host;
  PlainButton button(host);
  full.Apply(button);
  EXPECT_EQ(AsText(WriteButtonDescription(button)),
            "Tag = 42\nLeft = 3\nTop = 4\nWidth = 90\nHeight = 30\nCursor = crHandPoint\n"
            "HelpType = htKeyword\nHelpKeyword = 'share'\nHelpContext = 7\nAction = actShare\n"
            "Anchors = [akLeft, akBottom]\nAlign = alBottom\nColor = 1193046\nEnabled = False\n"
            "Font.Charset = 128\nFont.Color = 16711680\nFont.Height = -16\n"
            "Font.Name = 'IPAPGothic'\nFont.Style = [fsBold, fsUnderline]\n"
            "Hint = '押すと共有します'\nParentFont = False\nParentShowHint = False\n"
            "PopupMenu = pmShare\nShowHint = True\nTabOrder = 2\nTabStop = False\n"
            "Visible = False\nButtonStyle = bsFlat\nCancel = True\nGradation = False\n"
            "GradBeginColor = clBtnHighlight\nGradEndColor = 65280\nHasFocus = False\n"
            "ModalResult = 2\nImage.Left = 4\nImage.Top = 6\nImage.Visible = False\n"
            "Image.TransParent = True\nImage.VertCenter = False\nImage.HorzCenter = True\n"
            "CaptionA.Caption = '共有'\nCaptionA.Alignment = taEven\nCaptionA.Left = 1\n"
            "CaptionA.Right = 2\nCaptionB.Caption = 'する'\nCaptionB.Alignment = taRight\n"
            "CaptionLineSpace = 2\nCaptionTop = 5\nCaptionVertCenter = False\n"
            "FlatFrameType = bffBump\n");
}

// Everything written reads back to the same settings, and writes the same description again.
TEST(FormDescription, FullyConfiguredButtonReadsBackTheSame) {
  FullyConfigured full;
  FakeButtonHost host;
  PlainButton button(host);
  full.Apply(button);
  const FormObjectDescription written = WriteButtonDescription(button);

  FakeButtonHost host2;
  PlainButton copy(host2);
  ReadButtonDescription(copy, written, {}, full.links);
  EXPECT_EQ(WriteButtonDescription(copy).Properties, written.Properties);
  EXPECT_EQ(copy.Name(), "btnFull");
  EXPECT_EQ(copy.HelpType(), HelpKind::Keyword);
  EXPECT_EQ(copy.HelpContext(), 7);
  EXPECT_EQ(copy.Action(), full.action);
  EXPECT_EQ(copy.PopupMenu(), full.menu);
  EXPECT_EQ(copy.Font(), button.Font());
  EXPECT_FALSE(copy.ParentFont());
  EXPECT_EQ(copy.CaptionA().Caption(), "共有");
  EXPECT_FALSE(copy.CaptionVertCenter());
}

// Help by context with a keyword kept: outside reading, the keyword would switch the kind.
TEST(FormDescription, StoredHelpKindIsKeptWhatever) {
  FakeButtonHost host;
  PlainButton button(host);
  button.SetHelpKeyword("share");
  button.SetHelpContext(9);
  ASSERT_EQ(button.HelpType(), HelpKind::Context);
  const FormObjectDescription written = WriteButtonDescription(button);
  FakeButtonHost host2;
  PlainButton copy(host2);
  ReadButtonDescription(copy, written);
  EXPECT_EQ(copy.HelpType(), HelpKind::Context);
  EXPECT_EQ(copy.HelpKeyword(), "share");
  // Reading has ended: a keyword set afterwards switches the kind again.
  copy.SetHelpKeyword("other");
  EXPECT_EQ(copy.HelpType(), HelpKind::Keyword);
}

// Painting stores the centred positions, which are always written while the default centring
// flags are not: the button reads back uncentred, and keeps the positions it was painted at.
TEST(FormDescription, SavedCentredButtonReadsBackUncentred) {
  struct Case {
    const char* name;
    int height;
    int iconSize;  // 0: no picture
    bool captionCentredAfter, imageCentredAfter;
  } cases[] = {
      {"caption and icon off the top", 26, 16, false, false},
      // Text height 12: (10 - 12) div 2 + 1 = 0; the 10-pixel icon sits at 0 as well.
      {"both centred at the top: a stored 0 changes nothing", 10, 10, true, true},
      {"caption alone", 26, 0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeButtonHost host;
    PlainButton button(host);
    button.SetHeight(c.height);
    button.CaptionA().SetCaption("OK");
    if (c.iconSize) {
      button.Image().SetPicture(PictureOf(GraphicKind::Icon, c.iconSize, c.iconSize));
    }
    RecordingCanvas canvas;
    button.Paint(canvas);
    ASSERT_TRUE(button.CaptionVertCenter());
    ASSERT_TRUE(button.Image().VertCenter());

    FakeButtonHost host2;
    PlainButton copy(host2);
    ReadButtonDescription(copy, WriteButtonDescription(button));
    EXPECT_EQ(copy.CaptionTop(), button.CaptionTop());
    EXPECT_EQ(copy.CaptionVertCenter(), c.captionCentredAfter);
    EXPECT_EQ(copy.Image().Top(), button.Image().Top());
    EXPECT_EQ(copy.Image().VertCenter(), c.imageCentredAfter);
  }
}

TEST(FormDescription, LinksAndBaseValuesThatCannotBeRead) {
  const std::shared_ptr<ActionItem> action = std::make_shared<ActionItem>("actShare");
  const FormComponents links{
      [&](const std::string& n) { return n == "actShare" ? action : nullptr; }, {}};
  struct Case {
    const char* name;
    StoredProperty property;
  } cases[] = {
      {"action not on the form", P{"Action", FormIdent{"actOther"}}},
      {"menu without a lookup", P{"PopupMenu", FormIdent{"pmShare"}}},
      {"action as text", P{"Action", AnsiString("actShare")}},
      {"unknown cursor name", P{"Cursor", FormIdent{"crFinger"}}},
      {"cursor out of range", P{"Cursor", std::int64_t{40000}}},
      {"unknown anchor", P{"Anchors", FormSet{{"akLeft", "akMiddle"}}}},
      {"anchors as one name", P{"Anchors", FormIdent{"akLeft"}}},
      {"unknown align", P{"Align", FormIdent{"alCenter"}}},
      {"help kind as a number", P{"HelpType", std::int64_t{0}}},
      {"charset out of range", P{"Font.Charset", std::int64_t{256}}},
      {"unknown font style", P{"Font.Style", FormSet{{"fsBlink"}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeButtonHost host;
    PlainButton button(host);
    EXPECT_THROW(ReadButtonDescription(button, {"b", {c.property}}, {}, links), Exception);
    // The reading state has ended with the refusal.
    button.SetHelpKeyword("x");
    EXPECT_EQ(button.HelpType(), HelpKind::Keyword);
  }
  FakeButtonHost host;
  PlainButton button(host);
  ReadButtonDescription(button,
                        {"b",
                         {P{"Action", FormIdent{"actShare"}}, P{"Cursor", std::int64_t{-4}},
                          P{"Anchors", FormSet{}}, P{"Tag", std::int64_t{1} << 40}}},
                        {}, links);
  EXPECT_EQ(button.Action(), action);
  EXPECT_EQ(button.Cursor(), -4);
  EXPECT_TRUE(button.Anchors().Empty());
  EXPECT_EQ(button.Tag(), std::intptr_t{1} << 40);
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
