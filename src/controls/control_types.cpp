#include "controls/control_types.h"

namespace qv {

ShiftState ShiftStateFromKeyboard(const KeyboardState& keys) {
  auto down = [&](std::uint16_t vk) { return (keys[vk] & 0x80) != 0; };
  ShiftState s;
  if (down(kVkShift)) s.Include(ShiftFlag::Shift);
  if (down(kVkMenu)) s.Include(ShiftFlag::Alt);
  if (down(kVkControl)) s.Include(ShiftFlag::Ctrl);
  if (down(kVkLButton)) s.Include(ShiftFlag::Left);
  if (down(kVkRButton)) s.Include(ShiftFlag::Right);
  if (down(kVkMButton)) s.Include(ShiftFlag::Middle);
  return s;
}

std::optional<SystemCursor> SystemCursorOf(CursorId cursor) {
  switch (cursor) {
    case -1:
      return SystemCursor::Hidden;
    case -2:
      return SystemCursor::Arrow;
    case -3:
      return SystemCursor::Cross;
    case -4:
      return SystemCursor::IBeam;
    case -6:
      return SystemCursor::SizeNeSw;
    case -7:
      return SystemCursor::SizeNS;
    case -8:
      return SystemCursor::SizeNwSe;
    case -9:
      return SystemCursor::SizeWE;
    case -10:
      return SystemCursor::UpArrow;
    case -11:
      return SystemCursor::Wait;
    case -18:
      return SystemCursor::No;
    case -19:
      return SystemCursor::AppStarting;
    case -20:
      return SystemCursor::Help;
    case -21:
      return SystemCursor::Hand;
    case -22:
      return SystemCursor::SizeAll;
    default:
      return std::nullopt;
  }
}

ShiftState ShiftStateFromMouseKeys(std::uint32_t mouseKeys, bool altDown) {
  ShiftState s;
  if (mouseKeys & 0x04) s.Include(ShiftFlag::Shift);
  if (mouseKeys & 0x08) s.Include(ShiftFlag::Ctrl);
  if (mouseKeys & 0x01) s.Include(ShiftFlag::Left);
  if (mouseKeys & 0x02) s.Include(ShiftFlag::Right);
  if (mouseKeys & 0x10) s.Include(ShiftFlag::Middle);
  if (altDown) s.Include(ShiftFlag::Alt);
  return s;
}

}  // namespace qv
