// The share-setup dialog's form description: where each control sits, at 96 DPI.
#pragma once

#include "controls/form_scaling.h"

namespace qv {

// Control names of the description.
namespace set_share_form {
inline constexpr char kTopPanel[] = "pnlTop";
inline constexpr char kIcon[] = "Image1";
inline constexpr char kTopText1[] = "LabelTop1";
inline constexpr char kTopText2[] = "LabelTop2";
inline constexpr char kTopText3[] = "LabelTop3";
inline constexpr char kPathPrompt[] = "Label3";
inline constexpr char kPathLabel[] = "Label2";
inline constexpr char kPathExample[] = "Label6";
inline constexpr char kNamePrompt[] = "Label4";
inline constexpr char kNameLabel[] = "Label1";
inline constexpr char kNameExample[] = "Label7";
inline constexpr char kSharePath[] = "txtSharePath";
inline constexpr char kShareName[] = "txtShareName";
inline constexpr char kBrowseButton[] = "btnSansyo";
inline constexpr char kShareButton[] = "btnShare";
inline constexpr char kCancelButton[] = "btnCancel";
inline constexpr char kMemo[] = "Memo1";
inline constexpr char kBusyText[] = "BusyLabel";
}  // namespace set_share_form

// Labels carry their caption and place (their size follows the text); the panel its place and
// height (its width follows the form's client width); edit fields and buttons their full stored
// settings.
const FormDescription& SetShareFormDescription();

}  // namespace qv
