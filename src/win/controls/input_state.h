// The shift state of a key message, as the controls' models take it.
#pragma once

#include <windows.h>

#include "controls/control_types.h"

namespace qv::win {

inline bool AltHeld() { return (GetKeyState(VK_MENU) & 0x8000) != 0; }

// Shift and Ctrl from the current key state, Alt from the key message's data.
inline ShiftState KeyShiftState(LPARAM keyData) {
  ShiftState s;
  if (GetKeyState(VK_SHIFT) & 0x8000) s.Include(ShiftFlag::Shift);
  if (GetKeyState(VK_CONTROL) & 0x8000) s.Include(ShiftFlag::Ctrl);
  if (static_cast<std::uint32_t>(keyData) & kKeyDataAltDown) s.Include(ShiftFlag::Alt);
  return s;
}

// The shift state of a mouse message (its key flags, plus Alt from the key state).
inline ShiftState MouseShiftState(WPARAM mouseKeys) {
  return ShiftStateFromMouseKeys(static_cast<std::uint32_t>(mouseKeys), AltHeld());
}

}  // namespace qv::win
