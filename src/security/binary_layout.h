// Byte layouts of the security structures this system reads and writes (SID, ACL header, ACE
// header, self-relative descriptor header), as little-endian numbers. Every reader takes the bytes
// it may look at and never goes past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qv {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

namespace layout {

constexpr std::size_t kSidHeaderSize = 8;  // revision, count, 6-byte authority
constexpr std::size_t kMaxSubAuthorities = 15;
constexpr std::uint8_t kSidRevision = 1;

// A self-relative descriptor: revision, a zero byte, the 16-bit control word, then the offsets of
// owner, group, SACL and DACL (32 bits each, 0 for none) from the descriptor's first byte.
constexpr std::size_t kSelfRelativeDescriptorHeaderSize = 20;
constexpr std::uint8_t kSecurityDescriptorRevision = 1;
constexpr std::size_t kDescriptorDaclOffsetAt = 16;

// An ACL: revision, a zero byte, the 16-bit total size, the 16-bit entry count, two zero bytes.
constexpr std::size_t kAclHeaderSize = 8;
constexpr std::size_t kMaxAclSize = 0xFFFF;  // the header's size field has 16 bits
constexpr std::uint8_t kAclRevision = 2;     // ACL_REVISION: plain entries
constexpr std::uint8_t kAclRevisionDs = 4;   // ACL_REVISION_DS: object entries need it

// An ACE: type, flags, 16-bit size; the kinds this system reads follow it with the 32-bit mask,
// and the object kinds then with a 32-bit field saying which of two GUIDs follow.
constexpr std::size_t kAceHeaderSize = 4;
constexpr std::size_t kPlainAceFixedSize = 8;
constexpr std::size_t kObjectAceFixedSizeNoGuids = 12;
constexpr std::uint32_t kObjectTypePresent = 0x1;
constexpr std::uint32_t kInheritedObjectTypePresent = 0x2;
constexpr std::size_t kGuidSize = 16;

inline std::uint16_t ReadU16(ByteView b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t ReadU32(ByteView b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline void WriteU16(std::span<std::uint8_t> b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteU32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Length of the well-formed SID that begins the bytes (revision 1, at most 15 sub-authorities,
// all of it inside the bytes), or nothing.
std::optional<std::size_t> SidLengthIn(ByteView bytes);

// The shape of an ACL whose size field fits the bytes and whose entries, as many as its count
// says, lie one behind the other inside that size, each at least a header long; nothing when the
// bytes hold no such list. Only the first AclSize bytes belong to the list.
struct AclShape {
  std::uint8_t Revision = 0;
  std::uint16_t AclSize = 0;
  std::uint16_t AceCount = 0;
};
std::optional<AclShape> WalkAcl(ByteView bytes);

}  // namespace layout
}  // namespace qv
