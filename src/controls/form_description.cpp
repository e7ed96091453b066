#include "controls/form_description.h"

#include <array>
#include <functional>
#include <limits>
#include <utility>

#include "controls/edit.h"
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

std::vector<PropertySetter> ButtonSetters(PlainButton& b) {
  std::vector<PropertySetter> s = {
      {"Left", [&b](const StoredProperty& p) { b.SetLeft(AsInt(p)); }},
      {"Top", [&b](const StoredProperty& p) { b.SetTop(AsInt(p)); }},
      {"Width", [&b](const StoredProperty& p) { b.SetWidth(AsInt(p)); }},
      {"Height", [&b](const StoredProperty& p) { b.SetHeight(AsInt(p)); }},
      {"Color", [&b](const StoredProperty& p) { b.SetColor(AsColor(p)); }},
      {"Enabled", [&b](const StoredProperty& p) { b.SetEnabled(AsBool(p)); }},
      {"ParentColor", [&b](const StoredProperty& p) { b.SetParentColor(AsBool(p)); }},
      {"ParentFont", [&b](const StoredProperty& p) { b.SetParentFont(AsBool(p)); }},
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
  return s;
}

}  // namespace

void ReadButtonDescription(PlainButton& button, const FormObjectDescription& description,
                           const BasePropertySink& base) {
  button.SetName(description.Name);
  button.SetParent(true);
  ApplyAll(description.Properties, ButtonSetters(button), base);
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
