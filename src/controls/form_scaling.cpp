#include "controls/form_scaling.h"

#include <array>
#include <string>

#include "controls/plain_button.h"
#include "framework/dpi_scale.h"
#include "framework/errors.h"

namespace qv {

namespace {
constexpr std::array<std::string_view, 12> kLengthProperties = {"Left",          "Top",
                                                                "Width",         "Height",
                                                                "CaptionTop",    "CaptionLineSpace",
                                                                "CaptionA.Left", "CaptionA.Right",
                                                                "CaptionB.Left", "CaptionB.Right",
                                                                "Image.Left",    "Image.Top"};
}  // namespace

bool IsLengthProperty(std::string_view name) {
  for (std::string_view length : kLengthProperties) {
    if (name == length) return true;
  }
  return false;
}

FormObjectDescription ScaleDescription(const FormObjectDescription& description, int dpi) {
  FormObjectDescription scaled = description;
  for (StoredProperty& p : scaled.Properties) {
    auto* value = std::get_if<std::int64_t>(&p.Value);
    if (!value || !IsLengthProperty(p.Name)) continue;
    if (*value < INT32_MIN || *value > INT32_MAX) continue;  // left for the reader to refuse
    *value = ScaleToDpi(static_cast<int>(*value), dpi);
  }
  return scaled;
}

std::optional<int> IntSetting(const FormObjectDescription& description, std::string_view name) {
  std::optional<int> found;
  // A later setting of the same name overrides an earlier one, as when the description is read.
  for (const StoredProperty& p : description.Properties) {
    if (p.Name != name) continue;
    if (const auto* value = std::get_if<std::int64_t>(&p.Value)) {
      found = static_cast<int>(*value);
    }
  }
  return found;
}

const FormObjectDescription& FormLayout::Control(const AnsiString& name) const {
  for (const FormObjectDescription& c : Controls) {
    if (c.Name == name) return c;
  }
  throw Exception(Format("No control %s in the form", name.c_str()));
}

FormLayout LayOutForm(const FormDescription& form, int dpi, int frameWidth96, int frameHeight96) {
  FormLayout layout;
  layout.Dpi = dpi > 0 ? dpi : kDesignDpi;
  layout.ClientWidth = ScaleToDpi(form.Width - frameWidth96, layout.Dpi);
  layout.ClientHeight = ScaleToDpi(form.Height - frameHeight96, layout.Dpi);
  layout.FontHeight = ScaleToDpi(form.FontHeight, layout.Dpi);
  layout.Controls.reserve(form.Controls.size());
  for (const FormObjectDescription& c : form.Controls) {
    layout.Controls.push_back(ScaleDescription(c, layout.Dpi));
  }
  return layout;
}

void ApplyButtonGeometry(PlainButton& button, const FormObjectDescription& scaled) {
  button.SetBounds(IntSetting(scaled, "Left").value_or(button.Left()),
                   IntSetting(scaled, "Top").value_or(button.Top()),
                   IntSetting(scaled, "Width").value_or(button.Width()),
                   IntSetting(scaled, "Height").value_or(button.Height()));
  // Setting the caption top switches centring off; painting recomputes it while centring is on.
  if (auto top = IntSetting(scaled, "CaptionTop"); top && !button.CaptionVertCenter()) {
    button.SetCaptionTop(*top);
  }
  if (auto space = IntSetting(scaled, "CaptionLineSpace")) button.SetCaptionLineSpace(*space);
  if (auto v = IntSetting(scaled, "CaptionA.Left")) button.CaptionA().SetLeft(*v);
  if (auto v = IntSetting(scaled, "CaptionA.Right")) button.CaptionA().SetRight(*v);
  if (auto v = IntSetting(scaled, "CaptionB.Left")) button.CaptionB().SetLeft(*v);
  if (auto v = IntSetting(scaled, "CaptionB.Right")) button.CaptionB().SetRight(*v);
  if (auto v = IntSetting(scaled, "Image.Left")) button.Image().SetLeft(*v);
  if (auto v = IntSetting(scaled, "Image.Top")) button.Image().SetTop(*v);
}

}  // namespace qv
