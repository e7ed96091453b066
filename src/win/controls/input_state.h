// The shift state of a key message, as the controls' models take it.
#pragma once

#include <windows.h>

#include "controls/control_types.h"

namespace qv::win {

inline bool AltHeld() { return (GetKeyState(VK_MENU) & 0x8000) != 0; }

// Shift and Ctrl from the current key state, Alt from the key message's data.
inline TShiftState KeyShiftState(LPARAM keyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) & 0x8000) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) & 0x8000) s.Include(ssCtrl);
  if (static_cast<std::uint32_t>(keyData) & kKeyDataAltDown) s.Include(ssAlt);
  return s;
}

// The shift state of a mouse message (its key flags, plus Alt from the key state).
inline TShiftState MouseShiftState(WPARAM mouseKeys) {
  return ShiftStateFromMouseKeys(static_cast<std::uint32_t>(mouseKeys), AltHeld());
}

}  // namespace qv::win
