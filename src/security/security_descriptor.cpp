#include "security/security_descriptor.h"

#include "security/security_exception.h"

namespace qv {

namespace {

// In the order of SecurityPart and ControlFlag.
constexpr std::uint32_t kPartBits[] = {
    0x00000001, 0x00000002, 0x00000004, 0x00000008, 0x00000010,
    0x80000000, 0x40000000, 0x20000000, 0x10000000,
};
constexpr std::uint16_t kControlBits[] = {
    0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0100,
    0x0200, 0x0400, 0x0800, 0x1000, 0x2000, 0x4000, 0x8000,
};

}  // namespace

std::uint32_t SecurityInformationOf(SecurityParts parts) {
  std::uint32_t value = 0;
  for (std::size_t m = 0; m < std::size(kPartBits); ++m) {
    if (parts.Contains(static_cast<SecurityPart>(m))) value |= kPartBits[m];
  }
  return value;
}

ControlFlags ControlFlagsOf(std::uint16_t word) {
  ControlFlags flags;
  for (std::size_t m = 0; m < std::size(kControlBits); ++m) {
    if (word & kControlBits[m]) flags.Include(static_cast<ControlFlag>(m));
  }
  return flags;
}

std::uint16_t ControlWordOf(ControlFlags flags) {
  std::uint16_t word = 0;
  for (std::size_t m = 0; m < std::size(kControlBits); ++m) {
    if (flags.Contains(static_cast<ControlFlag>(m))) word |= kControlBits[m];
  }
  return word;
}

Protection SecurityDescriptor::GetProtectedState(int index) const {
  switch (index) {
    case 0:
      return control.Contains(ControlFlag::DaclProtected) ? Protection::Protected
                                                          : Protection::NotStated;
    case 1:
      return control.Contains(ControlFlag::SaclProtected) ? Protection::Protected
                                                          : Protection::NotStated;
    default:
      throw SecurityError(
          Format("Protection asked for list %d: only 0 (DACL) and 1 (SACL) exist", index));
  }
}

}  // namespace qv
