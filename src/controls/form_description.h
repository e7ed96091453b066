// Form descriptions of the system's own controls: the stored settings of one control, applied
// in their stored order through the controls' setters (so a stored position switches centring
// off unless a centring flag stored after it switches it on again).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "framework/ansi_string.h"

namespace qv {

class PlainButton;
class EditBox;

// An enumeration value or a colour name, as stored: bsRoundRect, clBtnFace.
struct FormIdent {
  std::string Name;
  bool operator==(const FormIdent&) const = default;
};
// A set of enumeration values, as stored: [ksEnter, ksUp].
struct FormSet {
  std::vector<std::string> Items;
  bool operator==(const FormSet&) const = default;
};
using FormValue = std::variant<std::int64_t, bool, FormIdent, FormSet, AnsiString>;

// One stored setting; sub-object settings are named with a dot (CaptionA.Caption, Image.Top).
struct StoredProperty {
  std::string Name;
  FormValue Value;
  bool operator==(const StoredProperty&) const = default;
};

struct FormObjectDescription {
  AnsiString Name;
  std::vector<StoredProperty> Properties;
};

// Receives the settings a control model does not keep itself (tab order of an edit field, its
// maximum length, ...), in their place in the stored order.
using BasePropertySink = std::function<void(const StoredProperty&)>;

// Names the button, gives it its parent (the name becomes its first caption), then applies the
// stored settings in order. A setting the button does not know goes to `base`; without one it is
// an error, as is a value of the wrong kind (qv::Exception).
void ReadButtonDescription(PlainButton& button, const FormObjectDescription& description,
                           const BasePropertySink& base = {});

// Names the field and applies its stored settings in order, like ReadButtonDescription.
void ReadEditDescription(EditBox& edit, const FormObjectDescription& description,
                         const BasePropertySink& base = {});

}  // namespace qv
