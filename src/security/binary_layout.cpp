#include "security/binary_layout.h"

namespace qv::layout {

std::optional<std::size_t> SidLengthIn(TBytes bytes) {
  if (bytes.size() < kSidHeaderSize) return std::nullopt;
  if (bytes[0] != kSidRevision || bytes[1] > kMaxSubAuthorities) return std::nullopt;
  const std::size_t length = kSidHeaderSize + 4 * static_cast<std::size_t>(bytes[1]);
  if (length > bytes.size()) return std::nullopt;
  return length;
}

std::optional<TAclLayout> WalkAcl(TBytes bytes) {
  if (bytes.size() < kAclHeaderSize) return std::nullopt;
  TAclLayout acl;
  acl.Revision = bytes[0];
  acl.AclSize = ReadU16(bytes, 2);
  acl.AceCount = ReadU16(bytes, 4);
  if (acl.AclSize < kAclHeaderSize || acl.AclSize > bytes.size()) return std::nullopt;
  std::size_t offset = kAclHeaderSize;
  for (std::size_t i = 0; i < acl.AceCount; ++i) {
    if (acl.AclSize - offset < kAceHeaderSize) return std::nullopt;
    const std::size_t aceSize = ReadU16(bytes, offset + 2);
    if (aceSize < kAceHeaderSize || aceSize > acl.AclSize - offset) return std::nullopt;
    offset += aceSize;
  }
  acl.FirstFree = offset;
  return acl;
}

std::optional<std::size_t> AceSize(bool objectLayout, const TGuid* objectType,
                                   const TGuid* inheritedObjectType, TBytes sid) {
  const auto sidLength = SidLengthIn(sid);
  if (!sidLength) return std::nullopt;
  std::size_t size = kPlainAceFixedSize + *sidLength;
  if (objectLayout) {
    size += kObjectAceFixedSizeNoGuids - kPlainAceFixedSize;
    if (objectType) size += kGuidSize;
    if (inheritedObjectType) size += kGuidSize;
  }
  if (size > 0xFFFF) return std::nullopt;
  return size;
}

bool WriteAce(TMutableBytes out, std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
              bool objectLayout, const TGuid* objectType, const TGuid* inheritedObjectType,
              TBytes sid) {
  const auto size = AceSize(objectLayout, objectType, inheritedObjectType, sid);
  if (!size || *size != out.size()) return false;
  out[0] = type;
  out[1] = flags;
  WriteU16(out, 2, static_cast<std::uint16_t>(*size));
  WriteU32(out, 4, mask);
  std::size_t at = kPlainAceFixedSize;
  if (objectLayout) {
    const std::uint32_t present = (objectType ? kObjectTypePresent : 0) |
                                  (inheritedObjectType ? kInheritedObjectTypePresent : 0);
    WriteU32(out, at, present);
    at += 4;
    for (const TGuid* guid : {objectType, inheritedObjectType}) {
      if (!guid) continue;
      for (std::size_t i = 0; i < kGuidSize; ++i) out[at + i] = guid->Bytes[i];
      at += kGuidSize;
    }
  }
  const std::size_t sidLength = *SidLengthIn(sid);
  for (std::size_t i = 0; i < sidLength; ++i) out[at + i] = sid[i];
  return true;
}

}  // namespace qv::layout
