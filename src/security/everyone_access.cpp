#include "security/everyone_access.h"

#include "security/dacl.h"
#include "security/security_exception.h"
#include "security/sid.h"

namespace qv {

std::uint32_t MapFileGenericRights(std::uint32_t mask) {
  constexpr std::uint32_t kGenericRead = 0x80000000, kGenericWrite = 0x40000000,
                          kGenericExecute = 0x20000000, kGenericAll = 0x10000000;
  constexpr std::uint32_t kFileGenericRead = 0x00120089, kFileGenericWrite = 0x00120116,
                          kFileGenericExecute = 0x001200A0;
  std::uint32_t mapped = mask & ~(kGenericRead | kGenericWrite | kGenericExecute | kGenericAll);
  if (mask & kGenericRead) mapped |= kFileGenericRead;
  if (mask & kGenericWrite) mapped |= kFileGenericWrite;
  if (mask & kGenericExecute) mapped |= kFileGenericExecute;
  if (mask & kGenericAll) mapped |= kFullControl;
  return mapped;
}

std::uint32_t EveryoneRights(ByteView bytes, bool reachesContents) {
  std::uint32_t granted = 0, denied = 0;
  constexpr std::uint8_t kBothInherit = ace::kObjectInherit | ace::kContainerInherit;
  const Dacl dacl = Dacl::Read(bytes);
  for (const AccessEntry& entry : dacl.Entries()) {
    std::optional<Sid> trustee = entry.Trustee();
    std::optional<std::uint32_t> mask = entry.Mask();
    if (!trustee || !mask || !(*trustee == EveryoneSid())) continue;
    bool counts = reachesContents ? (entry.Flags() & kBothInherit) == kBothInherit
                                  : (entry.Flags() & ace::kInheritOnly) == 0;
    if (!counts) continue;
    const std::uint32_t rights = MapFileGenericRights(*mask);
    // A right already decided by an earlier entry stays as that entry decided it.
    if (entry.Type() == ace::kAccessAllowed) granted |= rights & ~denied;
    if (entry.Type() == ace::kAccessDenied) denied |= rights & ~granted;
  }
  return granted;
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
