#include "controls/form_description.h"

#include <array>
#include <functional>
#include <limits>
#include <utility>

#include "controls/edit.h"
#include "controls/linked_components.h"
#include "controls/plain_button.h"
#include "framework/errors.h"

namespace qv {

namespace {

constexpr std::array<const char*, 5> kButtonStyleNames = {"bsNormal", "bsFlat", "bsFlatNoFrame",
                                                          "bsRoundRect", "bsRoundRectNoFrame"};
constexpr std::array<const char*, 3> kFrameTypeNames = {"bffFlat", "bffEtched", "bffBump"};
constexpr std::array<const char*, 4> kCaptionAlignmentNames = {"taCenter", "taLeft", "taRight",
                                                               "taEven"};
constexpr std::array<const char*, 3> kAlignmentNames = {"taLeftJustify", "taRightJustify",
                                                        "taCenter"};
constexpr std::array<const char*, 2> kBorderStyleNames = {"bsNone", "bsSingle"};
constexpr std::array<const char*, 2> kHelpKindNames = {"htKeyword", "htContext"};
constexpr std::array<const char*, 7> kDockAlignNames = {"alNone",  "alTop",    "alBottom", "alLeft",
                                                        "alRight", "alClient", "alCustom"};
constexpr std::array<const char*, 4> kAnchorSideNames = {"akLeft", "akTop", "akRight", "akBottom"};
constexpr std::array<const char*, 4> kFontStyleNames = {"fsBold", "fsItalic", "fsUnderline",
                                                        "fsStrikeOut"};

struct NamedCursor {
  const char* Name;
  CursorId Value;
};
constexpr std::array<NamedCursor, 22> kCursorNames = {
    {{"crDefault", 0},     {"crNone", -1},     {"crArrow", -2},      {"crCross", -3},
     {"crIBeam", -4},      {"crSizeNESW", -6}, {"crSizeNS", -7},     {"crSizeNWSE", -8},
     {"crSizeWE", -9},     {"crUpArrow", -10}, {"crHourGlass", -11}, {"crDrag", -12},
     {"crNoDrop", -13},    {"crHSplit", -14},  {"crVSplit", -15},    {"crMultiDrag", -16},
     {"crSQLWait", -17},   {"crNo", -18},      {"crAppStart", -19},  {"crHelp", -20},
     {"crHandPoint", -21}, {"crSizeAll", -22}}};
constexpr std::array<const char*, 3> kCursorPosNames = {"cpAllSel", "cpLeft", "cpRight"};
constexpr std::array<const char*, 5> kKeyStyleNames = {"ksEnter", "ksLeft", "ksUp", "ksRight",
                                                       "ksDown"};
constexpr std::array<const char*, 12> kImeModeNames = {
    "imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha",   "imAlpha",
    "imHira",    "imSKata", "imKata", "imChinese",  "imSHanguel", "imHanguel"};

struct NamedColor {
  const char* Name;
  Color Value;
};
constexpr std::array<NamedColor, 9> kColorNames = {{{"clBlack", clBlack},
                                                    {"clWhite", clWhite},
                                                    {"clSilver", clSilver},
                                                    {"clWindow", clWindow},
                                                    {"clWindowText", clWindowText},
                                                    {"clBtnFace", clBtnFace},
                                                    {"clBtnShadow", clBtnShadow},
                                                    {"clGrayText", clGrayText},
                                                    {"clBtnHighlight", clBtnHighlight}}};

[[noreturn]] void InvalidValue(const StoredProperty& p) {
  throw Exception(Format("プロパティ %s の値が無効です", p.Name.c_str()));
}

std::int32_t AsInt(const StoredProperty& p) {
  const auto* v = std::get_if<std::int64_t>(&p.Value);
  if (!v || *v < std::numeric_limits<std::int32_t>::min() ||
      *v > std::numeric_limits<std::int32_t>::max()) {
    InvalidValue(p);
  }
  return static_cast<std::int32_t>(*v);
}

bool AsBool(const StoredProperty& p) {
  const auto* v = std::get_if<bool>(&p.Value);
  if (!v) InvalidValue(p);
  return *v;
}

const AnsiString& AsString(const StoredProperty& p) {
  const auto* v = std::get_if<AnsiString>(&p.Value);
  if (!v) InvalidValue(p);
  return *v;
}

template <typename E, std::size_t N>
E AsEnum(const StoredProperty& p, const std::array<const char*, N>& names) {
  if (const auto* id = std::get_if<FormIdent>(&p.Value)) {
    for (std::size_t i = 0; i < N; ++i) {
      if (id->Name == names[i]) return static_cast<E>(i);
    }
  }
  InvalidValue(p);
}

Color AsColor(const StoredProperty& p) {
  if (const auto* id = std::get_if<FormIdent>(&p.Value)) {
    for (const NamedColor& c : kColorNames) {
      if (id->Name == c.Name) return c.Value;
    }
    InvalidValue(p);
  }
  const auto* v = std::get_if<std::int64_t>(&p.Value);
  if (!v || *v < 0 || *v > 0xFFFFFFFF) InvalidValue(p);
  return static_cast<Color>(*v);
}

FormValue ColorValue(Color c) {
  for (const NamedColor& named : kColorNames) {
    if (named.Value == c) return FormIdent{named.Name};
  }
  return std::int64_t{c};
}

CursorId AsCursor(const StoredProperty& p) {
  if (const auto* id = std::get_if<FormIdent>(&p.Value)) {
    for (const NamedCursor& c : kCursorNames) {
      if (id->Name == c.Name) return c.Value;
    }
    InvalidValue(p);
  }
  const auto* v = std::get_if<std::int64_t>(&p.Value);
  if (!v || *v < std::numeric_limits<CursorId>::min() ||
      *v > std::numeric_limits<CursorId>::max()) {
    InvalidValue(p);
  }
  return static_cast<CursorId>(*v);
}

FormValue CursorValue(CursorId cursor) {
  for (const NamedCursor& c : kCursorNames) {
    if (c.Value == cursor) return FormIdent{c.Name};
  }
  return std::int64_t{cursor};
}

// The members of a stored set, as bits in their ordinal order.
template <std::size_t N>
unsigned AsSetBits(const StoredProperty& p, const std::array<const char*, N>& names) {
  const auto* set = std::get_if<FormSet>(&p.Value);
  if (!set) InvalidValue(p);
  unsigned bits = 0;
  for (const std::string& item : set->Items) {
    const StoredProperty one{p.Name, FormIdent{item}};
    bits |= 1u << static_cast<unsigned>(AsEnum<std::size_t>(one, names));
  }
  return bits;
}

template <std::size_t N>
FormSet SetValue(unsigned bits, const std::array<const char*, N>& names) {
  FormSet set;
  for (std::size_t i = 0; i < N; ++i) {
    if (bits & (1u << i)) set.Items.emplace_back(names[i]);
  }
  return set;
}

// A link is stored by the name of the component it leads to.
template <typename T>
std::shared_ptr<T> AsLink(const StoredProperty& p,
                          const std::function<std::shared_ptr<T>(const std::string& name)>& find) {
  const auto* id = std::get_if<FormIdent>(&p.Value);
  if (!id || !find) InvalidValue(p);
  std::shared_ptr<T> found = find(id->Name);
  if (!found) InvalidValue(p);
  return found;
}

FocusKeys AsKeyStyles(const StoredProperty& p) {
  const auto* set = std::get_if<FormSet>(&p.Value);
  if (!set) InvalidValue(p);
  FocusKeys styles;
  for (const std::string& item : set->Items) {
    StoredProperty one{p.Name, FormIdent{item}};
    styles.Include(AsEnum<FocusKey>(one, kKeyStyleNames));
  }
  return styles;
}

using Setter = std::function<void(const StoredProperty&)>;
struct PropertySetter {
  std::string Name;
  Setter Apply;
};

void ApplyAll(const std::vector<StoredProperty>& properties,
              const std::vector<PropertySetter>& setters, const BasePropertySink& base) {
  for (const StoredProperty& p : properties) {
    bool applied = false;
    for (const PropertySetter& s : setters) {
      if (s.Name == p.Name) {
        s.Apply(p);
        applied = true;
        break;
      }
    }
    if (applied) continue;
    if (!base) throw Exception(Format("プロパティ %s は存在しません", p.Name.c_str()));
    base(p);
  }
}

void AddCaptionSetters(std::vector<PropertySetter>& setters, PlainButton& button, bool first) {
  auto caption = [&button, first]() -> PlainButtonCaption& {
    return first ? button.CaptionA() : button.CaptionB();
  };
  const std::string prefix = first ? "CaptionA." : "CaptionB.";
  setters.push_back({prefix + "Caption",
                     [caption](const StoredProperty& p) { caption().SetCaption(AsString(p)); }});
  setters.push_back({prefix + "Alignment", [caption](const StoredProperty& p) {
                       caption().SetAlignment(AsEnum<CaptionAlignment>(p, kCaptionAlignmentNames));
                     }});
  setters.push_back(
      {prefix + "Left", [caption](const StoredProperty& p) { caption().SetLeft(AsInt(p)); }});
  setters.push_back(
      {prefix + "Right", [caption](const StoredProperty& p) { caption().SetRight(AsInt(p)); }});
}

// Each stored part of the font changes the button's font, which then no longer follows the
// parent's.
void AddFontSetters(std::vector<PropertySetter>& setters, PlainButton& b) {
  auto change = [&b](auto&& edit) {
    Font f = b.Font();
    edit(f);
    b.SetFont(f);
  };
  setters.push_back({"Font.Charset", [change](const StoredProperty& p) {
                       const std::int32_t charset = AsInt(p);
                       if (charset < 0 || charset > 255) InvalidValue(p);
                       change([&](Font& f) { f.Charset = static_cast<std::uint8_t>(charset); });
                     }});
  setters.push_back({"Font.Color", [change](const StoredProperty& p) {
                       const Color c = AsColor(p);
                       change([&](Font& f) { f.Color = c; });
                     }});
  setters.push_back({"Font.Height", [change](const StoredProperty& p) {
                       const std::int32_t height = AsInt(p);
                       change([&](Font& f) { f.Height = height; });
                     }});
  setters.push_back({"Font.Name", [change](const StoredProperty& p) {
                       const AnsiString& name = AsString(p);
                       change([&](Font& f) { f.Name = name; });
                     }});
  setters.push_back({"Font.Style", [change](const StoredProperty& p) {
                       const unsigned style = AsSetBits(p, kFontStyleNames);
                       change([&](Font& f) { f.Style = static_cast<std::uint8_t>(style); });
                     }});
}

std::vector<PropertySetter> ButtonSetters(PlainButton& b, const FormComponents& links) {
  std::vector<PropertySetter> s = {
      {"Tag",
       [&b](const StoredProperty& p) {
         const auto* v = std::get_if<std::int64_t>(&p.Value);
         if (!v || *v < std::numeric_limits<std::intptr_t>::min() ||
             *v > std::numeric_limits<std::intptr_t>::max()) {
           InvalidValue(p);
         }
         b.SetTag(static_cast<std::intptr_t>(*v));
       }},
      {"Left", [&b](const StoredProperty& p) { b.SetLeft(AsInt(p)); }},
      {"Top", [&b](const StoredProperty& p) { b.SetTop(AsInt(p)); }},
      {"Width", [&b](const StoredProperty& p) { b.SetWidth(AsInt(p)); }},
      {"Height", [&b](const StoredProperty& p) { b.SetHeight(AsInt(p)); }},
      {"Cursor", [&b](const StoredProperty& p) { b.SetCursor(AsCursor(p)); }},
      {"HelpType",
       [&b](const StoredProperty& p) { b.SetHelpType(AsEnum<HelpKind>(p, kHelpKindNames)); }},
      {"HelpKeyword", [&b](const StoredProperty& p) { b.SetHelpKeyword(AsString(p)); }},
      {"HelpContext", [&b](const StoredProperty& p) { b.SetHelpContext(AsInt(p)); }},
      {"Action",
       [&b, &links](const StoredProperty& p) { b.SetAction(AsLink(p, links.FindAction)); }},
      {"Anchors",
       [&b](const StoredProperty& p) {
         b.SetAnchors(
             AnchorSides::FromBits(static_cast<std::uint8_t>(AsSetBits(p, kAnchorSideNames))));
       }},
      {"Align",
       [&b](const StoredProperty& p) { b.SetAlign(AsEnum<DockAlign>(p, kDockAlignNames)); }},
      {"Color", [&b](const StoredProperty& p) { b.SetColor(AsColor(p)); }},
      {"Enabled", [&b](const StoredProperty& p) { b.SetEnabled(AsBool(p)); }},
      {"Hint", [&b](const StoredProperty& p) { b.SetHint(AsString(p)); }},
      {"ParentColor", [&b](const StoredProperty& p) { b.SetParentColor(AsBool(p)); }},
      {"ParentFont", [&b](const StoredProperty& p) { b.SetParentFont(AsBool(p)); }},
      {"ParentShowHint", [&b](const StoredProperty& p) { b.SetParentShowHint(AsBool(p)); }},
      {"PopupMenu",
       [&b, &links](const StoredProperty& p) { b.SetPopupMenu(AsLink(p, links.FindPopupMenu)); }},
      {"ShowHint", [&b](const StoredProperty& p) { b.SetShowHint(AsBool(p)); }},
      {"TabOrder", [&b](const StoredProperty& p) { b.SetTabOrder(AsInt(p)); }},
      {"TabStop", [&b](const StoredProperty& p) { b.SetTabStop(AsBool(p)); }},
      {"Visible", [&b](const StoredProperty& p) { b.SetVisible(AsBool(p)); }},
      {"ButtonStyle",
       [&b](const StoredProperty& p) {
         b.SetButtonStyle(AsEnum<PlainButtonStyle>(p, kButtonStyleNames));
       }},
      {"Cancel", [&b](const StoredProperty& p) { b.SetCancel(AsBool(p)); }},
      {"Gradation", [&b](const StoredProperty& p) { b.SetGradation(AsBool(p)); }},
      {"GradBeginColor", [&b](const StoredProperty& p) { b.SetGradBeginColor(AsColor(p)); }},
      {"GradEndColor", [&b](const StoredProperty& p) { b.SetGradEndColor(AsColor(p)); }},
      {"HasFocus", [&b](const StoredProperty& p) { b.SetHasFocus(AsBool(p)); }},
      {"ModalResult", [&b](const StoredProperty& p) { b.SetModalResult(AsInt(p)); }},
      {"Image.Left", [&b](const StoredProperty& p) { b.Image().SetLeft(AsInt(p)); }},
      {"Image.Top", [&b](const StoredProperty& p) { b.Image().SetTop(AsInt(p)); }},
      {"Image.Visible", [&b](const StoredProperty& p) { b.Image().SetVisible(AsBool(p)); }},
      {"Image.TransParent", [&b](const StoredProperty& p) { b.Image().SetTransparent(AsBool(p)); }},
      {"Image.VertCenter", [&b](const StoredProperty& p) { b.Image().SetVertCenter(AsBool(p)); }},
      {"Image.HorzCenter", [&b](const StoredProperty& p) { b.Image().SetHorzCenter(AsBool(p)); }},
      {"CaptionLineSpace", [&b](const StoredProperty& p) { b.SetCaptionLineSpace(AsInt(p)); }},
      {"CaptionTop", [&b](const StoredProperty& p) { b.SetCaptionTop(AsInt(p)); }},
      {"CaptionVertCenter", [&b](const StoredProperty& p) { b.SetCaptionVertCenter(AsBool(p)); }},
      {"FlatFrameType",
       [&b](const StoredProperty& p) {
         b.SetFlatFrameType(AsEnum<FrameType>(p, kFrameTypeNames));
       }},
  };
  AddCaptionSetters(s, b, true);
  AddCaptionSetters(s, b, false);
  AddFontSetters(s, b);
  return s;
}

void WriteCaption(std::vector<StoredProperty>& out, const PlainButtonCaption& c,
                  const std::string& prefix) {
  out.push_back({prefix + "Caption", c.Caption()});
  if (c.Alignment() != CaptionAlignment::Center) {
    out.push_back(
        {prefix + "Alignment", FormIdent{kCaptionAlignmentNames[std::size_t(c.Alignment())]}});
  }
  if (c.Left() != 0) out.push_back({prefix + "Left", std::int64_t{c.Left()}});
  if (c.Right() != 0) out.push_back({prefix + "Right", std::int64_t{c.Right()}});
}

// The reading state ends also when a stored value is refused.
class ReadingScope {
 public:
  explicit ReadingScope(PlainButton& button) : button_(button) { button_.BeginReading(); }
  ~ReadingScope() { button_.Loaded(); }
  ReadingScope(const ReadingScope&) = delete;
  ReadingScope& operator=(const ReadingScope&) = delete;

 private:
  PlainButton& button_;
};

}  // namespace

void ReadButtonDescription(PlainButton& button, const FormObjectDescription& description,
                           const BasePropertySink& base, const FormComponents& links) {
  ReadingScope reading(button);
  button.SetName(description.Name);
  button.SetParent(true);
  ApplyAll(description.Properties, ButtonSetters(button, links), base);
}

FormObjectDescription WriteButtonDescription(const PlainButton& b) {
  FormObjectDescription d{b.Name(), {}};
  std::vector<StoredProperty>& out = d.Properties;
  auto add = [&out](const char* name, FormValue v) { out.push_back({name, std::move(v)}); };
  if (b.Tag() != 0) add("Tag", std::int64_t{b.Tag()});
  add("Left", std::int64_t{b.Left()});
  add("Top", std::int64_t{b.Top()});
  add("Width", std::int64_t{b.Width()});
  add("Height", std::int64_t{b.Height()});
  if (b.Cursor() != kCursorDefault) add("Cursor", CursorValue(b.Cursor()));
  if (b.HelpType() != HelpKind::Context) {
    add("HelpType", FormIdent{kHelpKindNames[std::size_t(b.HelpType())]});
  }
  if (!b.HelpKeyword().empty()) add("HelpKeyword", b.HelpKeyword());
  if (b.HelpContext() != 0) add("HelpContext", std::int64_t{b.HelpContext()});
  if (b.Action()) add("Action", FormIdent{b.Action()->Name().bytes()});
  if (b.Anchors() != kDefaultAnchors)
    add("Anchors", SetValue(b.Anchors().Bits(), kAnchorSideNames));
  if (b.Align() != DockAlign::None) {
    add("Align", FormIdent{kDockAlignNames[std::size_t(b.Align())]});
  }
  // Colour and font that follow the parent's are the parent's to store.
  if (b.Color() != clBtnFace && !b.ParentColor()) add("Color", ColorValue(b.Color()));
  if (!b.Enabled()) add("Enabled", false);
  if (!b.ParentFont()) {
    const Font& f = b.Font();
    add("Font.Charset", std::int64_t{f.Charset});
    add("Font.Color", ColorValue(f.Color));
    add("Font.Height", std::int64_t{f.Height});
    add("Font.Name", f.Name);
    add("Font.Style", SetValue(f.Style, kFontStyleNames));
  }
  if (!b.Hint().empty()) add("Hint", b.Hint());
  if (b.ParentColor()) add("ParentColor", true);
  if (!b.ParentFont()) add("ParentFont", false);
  if (!b.ParentShowHint()) add("ParentShowHint", false);
  if (b.PopupMenu()) add("PopupMenu", FormIdent{b.PopupMenu()->Name().bytes()});
  // The button's own hint switch is stored whenever it does not follow its parent's.
  if (!b.ParentShowHint()) add("ShowHint", b.ShowHint());
  if (b.TabOrder() != -1) add("TabOrder", std::int64_t{b.TabOrder()});
  if (!b.TabStop()) add("TabStop", false);
  if (!b.Visible()) add("Visible", false);

  if (b.ButtonStyle() != PlainButtonStyle::Normal) {
    add("ButtonStyle", FormIdent{kButtonStyleNames[std::size_t(b.ButtonStyle())]});
  }
  if (b.Cancel()) add("Cancel", true);
  if (!b.Gradation()) add("Gradation", false);
  if (b.GradBeginColor() != clWhite) add("GradBeginColor", ColorValue(b.GradBeginColor()));
  if (b.GradEndColor() != clSilver) add("GradEndColor", ColorValue(b.GradEndColor()));
  if (!b.HasFocus()) add("HasFocus", false);
  if (b.ModalResult() != 0) add("ModalResult", std::int64_t{b.ModalResult()});

  // Painting stores the centred positions, and Image.Top is always written while a centring
  // flag at its default is not: a centred picture off the top reads back uncentred.
  const PlainButtonImage& image = b.Image();
  if (image.Left() != 10) add("Image.Left", std::int64_t{image.Left()});
  add("Image.Top", std::int64_t{image.Top()});
  if (!image.Visible()) add("Image.Visible", false);
  if (image.Transparent()) add("Image.TransParent", true);
  if (!image.VertCenter()) add("Image.VertCenter", false);
  if (image.HorzCenter()) add("Image.HorzCenter", true);

  WriteCaption(out, b.CaptionA(), "CaptionA.");
  WriteCaption(out, b.CaptionB(), "CaptionB.");
  if (b.CaptionLineSpace() != 4) add("CaptionLineSpace", std::int64_t{b.CaptionLineSpace()});
  // The same for the caption: CaptionTop is always written, CaptionVertCenter only when off.
  add("CaptionTop", std::int64_t{b.CaptionTop()});
  if (!b.CaptionVertCenter()) add("CaptionVertCenter", false);
  if (b.FlatFrameType() != FrameType::Flat) {
    add("FlatFrameType", FormIdent{kFrameTypeNames[std::size_t(b.FlatFrameType())]});
  }
  return d;
}

void ReadEditDescription(EditBox& e, const FormObjectDescription& description,
                         const BasePropertySink& base) {
  e.SetName(description.Name);
  const std::vector<PropertySetter> setters = {
      {"Text", [&e](const StoredProperty& p) { e.SetText(AsString(p)); }},
      {"ImeMode",
       [&e](const StoredProperty& p) { e.SetImeMode(AsEnum<InputMethodMode>(p, kImeModeNames)); }},
      {"Ctl3D", [&e](const StoredProperty& p) { e.SetCtl3D(AsBool(p)); }},
      {"ParentCtl3D", [&e](const StoredProperty& p) { e.SetParentCtl3D(AsBool(p)); }},
      {"Alignment",
       [&e](const StoredProperty& p) {
         e.SetAlignment(AsEnum<TextAlignment>(p, kAlignmentNames));
       }},
      {"KeyEdit3D",
       [&e](const StoredProperty& p) {
         e.SetKeyEdit3D(AsEnum<BorderStyle>(p, kBorderStyleNames));
       }},
      {"KeyStyles", [&e](const StoredProperty& p) { e.SetKeyStyles(AsKeyStyles(p)); }},
      {"CursorPos",
       [&e](const StoredProperty& p) { e.SetCursorPos(AsEnum<EntryCaret>(p, kCursorPosNames)); }},
      // A stored amount is written with a full stop, whatever the user's separator.
      {"Curr",
       [&e](const StoredProperty& p) {
         const auto amount = ParseCurrency(AsString(p).view(), '.');
         if (!amount) InvalidValue(p);
         e.SetCurr(*amount);
       }},
      {"Long", [&e](const StoredProperty& p) { e.SetLong(AsInt(p)); }},
      {"kana", [&e](const StoredProperty& p) { e.SetReading(AsString(p)); }},
      {"KanaSw", [&e](const StoredProperty& p) { e.SetCapturesReading(AsBool(p)); }},
      {"KillPaste", [&e](const StoredProperty& p) { e.SetKillPaste(AsBool(p)); }},
  };
  ApplyAll(description.Properties, setters, base);
}

}  // namespace qv
