// What the extended edit box asks of its window. The Windows layer implements it on the real
// EDIT control; host tests implement it with a fake.
#pragma once

#include <cstdint>

#include "framework/ansi_string.h"

namespace qv {

class IEditHost {
 public:
  virtual ~IEditHost() = default;

  // Text and selection, in the positions of the window's own text (its characters).
  virtual void SetText(const AnsiString& text) = 0;
  virtual std::int32_t TextLength() const = 0;
  virtual void SetSelection(std::int32_t start, std::int32_t end) = 0;  // EM_SETSEL

  // The form that holds the control, and WM_NEXTDLGCTL sent to it (wParam 1: previous control).
  virtual bool HasForm() const = 0;
  virtual void SendNextDlgCtl(bool previous) = 0;

  // Destroy and create the window again, so that changed creation parameters take effect.
  virtual void RecreateWindow() = 0;
};

}  // namespace qv
