#include "security/everyone_access.h"

#include "security/dacl.h"
#include "security/security_exception.h"
#include "security/sid.h"

namespace qv {

std::uint32_t EveryoneRights(ByteView bytes, bool reachesContents) {
  std::uint32_t allowed = 0, denied = 0;
  constexpr std::uint8_t kBothInherit = ace::kObjectInherit | ace::kContainerInherit;
  const Dacl dacl = Dacl::Read(bytes);
  for (const AccessEntry& entry : dacl.Entries()) {
    std::optional<Sid> trustee = entry.Trustee();
    std::optional<std::uint32_t> mask = entry.Mask();
    if (!trustee || !mask || !(*trustee == EveryoneSid())) continue;
    bool counts = reachesContents ? (entry.Flags() & kBothInherit) == kBothInherit
                                  : (entry.Flags() & ace::kInheritOnly) == 0;
    if (!counts) continue;
    if (entry.Type() == ace::kAccessAllowed) allowed |= *mask;
    if (entry.Type() == ace::kAccessDenied) denied |= *mask;
  }
  return allowed & ~denied;
}

std::optional<Bytes> DaclOfSelfRelativeDescriptor(ByteView descriptor, bool& nullDacl) {
  nullDacl = false;
  constexpr std::size_t kHeader = 20;
  if (descriptor.size() < kHeader || descriptor[0] != 1) {
    throw SecurityError("Not a self-relative security descriptor");
  }
  std::uint16_t control = layout::ReadU16(descriptor, 2);
  if ((control & 0x8000) == 0) throw SecurityError("Not a self-relative security descriptor");
  if ((control & 0x0004) == 0) return std::nullopt;  // no DACL
  std::uint32_t offset = layout::ReadU32(descriptor, 16);
  if (offset == 0) {
    nullDacl = true;
    return std::nullopt;
  }
  if (offset < kHeader || offset + 8 > descriptor.size()) {
    throw SecurityError("The descriptor's DACL lies outside it");
  }
  std::uint16_t size = layout::ReadU16(descriptor, offset + 2);
  if (offset + size > descriptor.size()) {
    throw SecurityError("The descriptor's DACL lies outside it");
  }
  return Bytes(descriptor.begin() + offset, descriptor.begin() + offset + size);
}

}  // namespace qv
