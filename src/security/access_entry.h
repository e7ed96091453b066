// Access-control entries (ACEs), kept as the bytes they are stored as, so that a list read from a
// folder is written back exactly as it was, whatever its entries carry: data behind the SID of a
// conditional entry, flag bits this system has no name for, kinds it does not know.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "security/binary_layout.h"
#include "security/sid.h"

namespace qv {

// ACE type bytes whose layout this system knows: header, mask, for the object kinds the object
// fields, then the SID. Every other type is kept without being looked into.
namespace ace {
constexpr std::uint8_t kAccessAllowed = 0x00;
constexpr std::uint8_t kAccessDenied = 0x01;
constexpr std::uint8_t kSystemAudit = 0x02;
constexpr std::uint8_t kAccessAllowedObject = 0x05;
constexpr std::uint8_t kAccessDeniedObject = 0x06;
constexpr std::uint8_t kSystemAuditObject = 0x07;
constexpr std::uint8_t kAccessAllowedCallback = 0x09;
constexpr std::uint8_t kAccessDeniedCallback = 0x0A;
constexpr std::uint8_t kAccessDeniedCallbackObject = 0x0C;
constexpr std::uint8_t kSystemAuditCallback = 0x0D;
constexpr std::uint8_t kSystemAuditCallbackObject = 0x0F;
constexpr std::uint8_t kSystemMandatoryLabel = 0x11;

// Header flag bits.
constexpr std::uint8_t kObjectInherit = 0x01;       // OBJECT_INHERIT_ACE
constexpr std::uint8_t kContainerInherit = 0x02;    // CONTAINER_INHERIT_ACE
constexpr std::uint8_t kNoPropagateInherit = 0x04;  // NO_PROPAGATE_INHERIT_ACE
constexpr std::uint8_t kInheritOnly = 0x08;         // INHERIT_ONLY_ACE
constexpr std::uint8_t kInherited = 0x10;           // INHERITED_ACE
constexpr std::uint8_t kValidInheritFlags = 0x1F;   // VALID_INHERIT_FLAGS
constexpr std::uint8_t kSuccessfulAccess = 0x40;    // SUCCESSFUL_ACCESS_ACE_FLAG
constexpr std::uint8_t kFailedAccess = 0x80;        // FAILED_ACCESS_ACE_FLAG
}  // namespace ace

// Which list an entry belongs in and where Add puts it follow from its family alone.
enum class AceFamily { Allow, Deny, Audit, MandatoryLabel, Unknown };
AceFamily FamilyOf(std::uint8_t type);

// An object entry's GUID, in the byte order it is stored in.
using Guid = std::array<std::uint8_t, 16>;

class AccessEntry {
 public:
  // A plain entry: type, flags, size, mask, then the trustee's SID. Raises SecurityError for a
  // type whose layout is not the plain one: bytes laid out for the wrong kind would be read back
  // with another SID, or none.
  AccessEntry(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& trustee);
  // An object entry: header, mask, the field saying which GUIDs follow, the GUIDs given, then
  // the SID. Raises SecurityError for a type that is not an object kind.
  AccessEntry(std::uint8_t type, std::uint8_t flags, std::uint32_t mask,
              const std::optional<Guid>& objectType, const std::optional<Guid>& inheritedObjectType,
              const Sid& trustee);

  // The entry that fills the bytes exactly, as a list stores it. Raises SecurityError when
  // its size field is not the bytes' length, or when an entry of a known layout has fields or a
  // SID that do not fit it. Bytes behind the SID are kept.
  static AccessEntry Read(ByteView bytes);

  std::uint8_t Type() const { return bytes_[0]; }
  std::uint8_t Flags() const { return bytes_[1]; }
  bool IsInherited() const { return (Flags() & ace::kInherited) != 0; }
  // Mask and SID of an entry of a known layout; nothing for the others.
  std::optional<std::uint32_t> Mask() const;
  std::optional<Sid> Trustee() const;
  // The GUIDs of an object entry; nothing for an absent one and for the other kinds.
  std::optional<Guid> ObjectType() const;
  std::optional<Guid> InheritedObjectType() const;
  // The lowest list revision that may hold the entry: the object kinds need ACL_REVISION_DS.
  std::uint8_t MinimumAclRevision() const;
  // The bytes written into a list.
  ByteView View() const { return bytes_; }

 private:
  explicit AccessEntry(Bytes bytes) : bytes_(std::move(bytes)) {}
  Bytes bytes_;
};

// Types of a known layout.
bool IsKnownAceType(std::uint8_t type);
// Known types whose entries carry the object fields.
bool IsObjectAceType(std::uint8_t type);
// Known types that belong in a SACL (audit and mandatory label), never in a DACL.
bool IsSystemAceType(std::uint8_t type);

}  // namespace qv
