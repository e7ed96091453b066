// A form description laid out for one DPI. Descriptions keep their lengths in 96-DPI units;
// laying out scales every length through ScaleToDpi, the same way at start-up and when the
// window moves to a screen of another DPI.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "controls/form_description.h"
#include "framework/dpi_scale.h"

namespace qv {

// Whether a stored setting is a length in pixels (position, size, caption or image offset, font
// height) and so scales with the display. Counts such as MaxLength and TabOrder do not.
bool IsLengthProperty(std::string_view name);

// The description with every length scaled from 96 DPI to `dpi`; everything else as it was.
FormObjectDescription ScaleDescription(const FormObjectDescription& description, int dpi);

// The integer value of a stored setting, if the description has it.
std::optional<int> IntSetting(const FormObjectDescription& description, std::string_view name);

// A whole form: its outer size and font height at 96 DPI and its controls' descriptions.
struct FormDescription {
  int Width = 0, Height = 0;  // title bar and frame included
  int FontHeight = 0;         // negative: the character height without internal leading
  std::vector<FormObjectDescription> Controls;
};

// The form at one DPI, in pixels.
struct FormLayout {
  int Dpi = kDesignDpi;
  int ClientWidth = 0, ClientHeight = 0;
  int FontHeight = 0;
  std::vector<FormObjectDescription> Controls;

  // The scaled description of the control of that name; qv::Exception if there is none.
  const FormObjectDescription& Control(const AnsiString& name) const;
};

// Lays the form out for `dpi`. The client area is what the 96-DPI outer size leaves inside a
// frame of `frameWidth96` x `frameHeight96` (title bar included, as the system draws it at
// 96 DPI), scaled; so at 96 DPI the window keeps its designed outer size.
FormLayout LayOutForm(const FormDescription& form, int dpi, int frameWidth96, int frameHeight96);

// Applies the geometry of a scaled button description to a button that has already read its
// full description: bounds, caption and image offsets. A caption the program has centred
// vertically stays centred.
void ApplyButtonGeometry(PlainButton& button, const FormObjectDescription& scaled);

}  // namespace qv
