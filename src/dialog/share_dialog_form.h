// The share-setup dialog's form description: where each control sits, at 96 DPI.
#pragma once

#include "controls/form_scaling.h"

namespace qv {

// Control names of the description.
namespace share_dialog_form {
inline constexpr char kHeaderPanel[] = "headerPanel";
inline constexpr char kHeaderIcon[] = "headerIcon";
inline constexpr char kHeaderLine1[] = "headerLine1";
inline constexpr char kHeaderLine2[] = "headerLine2";
inline constexpr char kHeaderLine3[] = "headerLine3";
inline constexpr char kBrowseHint[] = "browseHintLabel";
inline constexpr char kSharePathLabel[] = "sharePathLabel";
inline constexpr char kSharePathExample[] = "sharePathExampleLabel";
inline constexpr char kShareNameHint[] = "shareNameHintLabel";
inline constexpr char kShareNameLabel[] = "shareNameLabel";
inline constexpr char kShareNameExample[] = "shareNameExampleLabel";
inline constexpr char kSharePathEdit[] = "txtSharePath";
inline constexpr char kShareNameEdit[] = "txtShareName";
inline constexpr char kBrowseButton[] = "btnSansyo";
inline constexpr char kShareButton[] = "btnShare";
inline constexpr char kCancelButton[] = "btnCancel";
inline constexpr char kLayoutMemo[] = "layoutMemo";
inline constexpr char kBusyText[] = "busyLabel";

// The face the form was designed in, kept where the icon-title font cannot be set.
inline constexpr char kDesignedFont[] = "ＭＳ Ｐゴシック";
// The window's title, which the application takes too.
inline constexpr char kTitle[] = "共有フォルダの設定";
}  // namespace share_dialog_form

// Labels carry their caption and place (their size follows the text); the panel its place and
// height (its width follows the form's client width); edit fields and buttons their full stored
// settings.
const FormDescription& ShareDialogFormDescription();

}  // namespace qv
