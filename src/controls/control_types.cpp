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
