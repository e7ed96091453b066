#include "controls/control_types.h"

namespace qv {

TShiftState ShiftStateFromKeyboard(const KeyboardState& keys) {
  auto down = [&](std::uint16_t vk) { return (keys[vk] & 0x80) != 0; };
  TShiftState s;
  if (down(kVkShift)) s.Include(ssShift);
  if (down(kVkMenu)) s.Include(ssAlt);
  if (down(kVkControl)) s.Include(ssCtrl);
  if (down(kVkLButton)) s.Include(ssLeft);
  if (down(kVkRButton)) s.Include(ssRight);
  if (down(kVkMButton)) s.Include(ssMiddle);
  return s;
}

TShiftState ShiftStateFromMouseKeys(std::uint32_t mouseKeys, bool altDown) {
  TShiftState s;
  if (mouseKeys & 0x04) s.Include(ssShift);
  if (mouseKeys & 0x08) s.Include(ssCtrl);
  if (mouseKeys & 0x01) s.Include(ssLeft);
  if (mouseKeys & 0x02) s.Include(ssRight);
  if (mouseKeys & 0x10) s.Include(ssMiddle);
  if (altDown) s.Include(ssAlt);
  return s;
}

}  // namespace qv
