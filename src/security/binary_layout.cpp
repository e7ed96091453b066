#include "security/binary_layout.h"

namespace qv::layout {

std::optional<std::size_t> SidLengthIn(ByteView bytes) {
  if (bytes.size() < kSidHeaderSize) return std::nullopt;
  if (bytes[0] != kSidRevision || bytes[1] > kMaxSubAuthorities) return std::nullopt;
  const std::size_t length = kSidHeaderSize + 4 * static_cast<std::size_t>(bytes[1]);
  if (length > bytes.size()) return std::nullopt;
  return length;
}

std::optional<AclShape> WalkAcl(ByteView bytes) {
  if (bytes.size() < kAclHeaderSize) return std::nullopt;
  AclShape acl;
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
  return acl;
}

}  // namespace qv::layout
