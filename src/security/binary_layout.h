// Byte layouts of the platform's security structures (SID, ACL header, ACE header, self-relative
// descriptor header), read and written as little-endian numbers. Every reader takes the bytes it
// may look at and never goes past them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qv {

using TBytes = std::span<const std::uint8_t>;
using TMutableBytes = std::span<std::uint8_t>;

// A GUID as it lies in memory (and in an object entry): 16 bytes.
struct TGuid {
  std::array<std::uint8_t, 16> Bytes{};
  friend bool operator==(const TGuid&, const TGuid&) = default;
};

namespace layout {

constexpr std::size_t kSidHeaderSize = 8;  // revision, count, 6-byte authority
constexpr std::size_t kMaxSubAuthorities = 15;
constexpr std::size_t kMaxSidLength = kSidHeaderSize + 4 * kMaxSubAuthorities;  // 68
constexpr std::uint8_t kSidRevision = 1;

// A self-relative descriptor: revision, a zero byte, the 16-bit control word, then the offsets of
// owner, group, SACL and DACL (32 bits each, 0 for none) from the descriptor's first byte.
constexpr std::size_t kSelfRelativeDescriptorHeaderSize = 20;
constexpr std::uint8_t kSecurityDescriptorRevision = 1;
constexpr std::size_t kDescriptorDaclOffsetAt = 16;

constexpr std::size_t kAclHeaderSize = 8;
constexpr std::size_t kAceHeaderSize = 4;
constexpr std::size_t kMaxAclSize = 0xFFFF;  // the header's size field has 16 bits
constexpr std::uint8_t kMinAclRevision = 2;  // ACL_REVISION
constexpr std::uint8_t kMaxAclRevision = 4;  // ACL_REVISION_DS

// Object entries: after the mask a 32-bit field says which of the two GUIDs follow.
constexpr std::uint32_t kObjectTypePresent = 0x1;
constexpr std::uint32_t kInheritedObjectTypePresent = 0x2;
constexpr std::size_t kPlainAceFixedSize = 8;           // header + mask
constexpr std::size_t kObjectAceFixedSizeNoGuids = 12;  // header + mask + object flags
constexpr std::size_t kGuidSize = 16;

inline std::uint16_t ReadU16(TBytes b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t ReadU32(TBytes b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline void WriteU16(TMutableBytes b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteU32(TMutableBytes b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Length of the well-formed SID that begins the bytes (revision 1, at most 15 sub-authorities,
// all of it inside the bytes), or nothing.
std::optional<std::size_t> SidLengthIn(TBytes bytes);

// The shape of an ACL whose size field fits the bytes and whose entries, as many as its count
// says, lie one behind the other inside that size, each at least a header long; nothing when the
// bytes hold no such list. Only the first AclSize bytes belong to the list.
struct TAclLayout {
  std::uint8_t Revision = 0;
  std::uint16_t AclSize = 0;
  std::uint16_t AceCount = 0;
  std::size_t FirstFree = 0;  // offset just behind the last entry
};
std::optional<TAclLayout> WalkAcl(TBytes bytes);

// Writes one entry (header, mask, for object layouts the object flags and present GUIDs, then the
// SID) at the start of out, which must be exactly as long as the entry. Returns false when out's
// size is not the entry's size or the SID is malformed.
bool WriteAce(TMutableBytes out, std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
              bool objectLayout, const TGuid* objectType, const TGuid* inheritedObjectType,
              TBytes sid);

// Size of such an entry; nothing when the SID is malformed or the size exceeds 16 bits.
std::optional<std::size_t> AceSize(bool objectLayout, const TGuid* objectType,
                                   const TGuid* inheritedObjectType, TBytes sid);

}  // namespace layout
}  // namespace qv
