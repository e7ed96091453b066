#include "controls/edit.h"

namespace qv {

void EditBox::SetKeyEdit3D(BorderStyle value) {
  if (value == keyEdit3D_) return;
  keyEdit3D_ = value;
  ctl3D_ = value == BorderStyle::Single;
  parentCtl3D_ = ctl3D_;
  host_.RecreateWindow();
}

void EditBox::SetCtl3D(bool value) {
  if (value == ctl3D_) return;
  ctl3D_ = value;
  host_.RecreateWindow();
}

// Entering a field selects its whole text, so that typing replaces it.
void EditBox::DoEnter() { host_.SetSelection(0, host_.TextLength()); }

void EditBox::KeyPress(std::uint16_t& key) {
  if (key == kVkReturn && host_.HasForm()) {
    key = 0;
    host_.SendNextDlgCtl(false);
  }
}

// Up leaves the field wherever the caret is; with Shift, Ctrl or Alt held it is the EDIT
// control's. Without a form the key stays the EDIT control's as well.
void EditBox::KeyDown(std::uint16_t& key, ShiftState shift) {
  if (shift.Contains(ShiftFlag::Shift) || shift.Contains(ShiftFlag::Ctrl) ||
      shift.Contains(ShiftFlag::Alt))
    return;
  if (key == kVkUp && host_.HasForm()) {
    key = 0;
    host_.SendNextDlgCtl(true);
  }
}

}  // namespace qv
