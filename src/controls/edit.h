// The extended edit box: the standard single-line EDIT control whose whole text is selected when
// it gets the focus, where Enter moves on to the next control and Up back to the previous one,
// and whose border is flat or sunken. The window passes its focus and key events here.
#pragma once

#include <cstdint>

#include "controls/control_types.h"
#include "controls/edit_host.h"

namespace qv {

enum class BorderStyle : std::uint8_t { None, Single };

class EditBox {
 public:
  explicit EditBox(IEditHost& host) : host_(host) {}
  EditBox(const EditBox&) = delete;
  EditBox& operator=(const EditBox&) = delete;
  const char* ClassName() const { return "TxEdit"; }

  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& value) { name_ = value; }
  void SetText(const AnsiString& value) { host_.SetText(value); }
  bool Ctl3D() const { return ctl3D_; }
  // The border is a creation parameter: a change re-creates the window.
  void SetCtl3D(bool value);
  bool ParentCtl3D() const { return parentCtl3D_; }
  void SetParentCtl3D(bool value) { parentCtl3D_ = value; }
  BorderStyle KeyEdit3D() const { return keyEdit3D_; }
  void SetKeyEdit3D(BorderStyle value);

  // --- What the window tells the control ---
  void DoEnter();
  // A key cleared to 0 is not passed on to the EDIT control.
  void KeyPress(std::uint16_t& key);
  void KeyDown(std::uint16_t& key, ShiftState shift);

 private:
  IEditHost& host_;
  AnsiString name_;
  bool ctl3D_ = true;
  bool parentCtl3D_ = true;
  BorderStyle keyEdit3D_ = BorderStyle::None;
};

}  // namespace qv
