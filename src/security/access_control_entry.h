// Access-control entries: one class per supported ACE type, in two families for DACLs (allow and
// deny), the audit family and the mandatory label for SACLs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "framework/enum_set.h"
#include "security/binary_layout.h"
#include "security/security_id.h"

namespace qv {

// ACE type bytes of the supported kinds. Every other type byte cannot be read.
enum TAceType : std::uint8_t {
  atAccessAllowed = 0x00,
  atAccessDenied = 0x01,
  atSystemAudit = 0x02,
  atAccessAllowedObject = 0x05,
  atAccessDeniedObject = 0x06,
  atSystemAuditObject = 0x07,
  atAccessAllowedCallback = 0x09,
  atAccessDeniedCallback = 0x0A,
  atAccessDeniedCallbackObject = 0x0C,
  atSystemAuditCallback = 0x0D,
  atSystemAuditCallbackObject = 0x0F,
  atSystemMandatoryLabel = 0x11,
};
bool IsSupportedAceType(std::uint8_t type);
// Kinds whose binary entry carries the object fields (object flags and the present GUIDs).
bool IsObjectAceType(std::uint8_t type);

// Entry flags; each member stands for the header flag bits named beside it.
enum TAceFlag {
  afObjectInherit,       // 0x01 OBJECT_INHERIT_ACE
  afContainerInherit,    // 0x02 CONTAINER_INHERIT_ACE
  afNoPropagateInherit,  // 0x04 NO_PROPAGATE_INHERIT_ACE
  afInheritOnly,         // 0x08 INHERIT_ONLY_ACE
  afInherited,           // 0x10 INHERITED_ACE
  afValidInheritFlags,   // 0x1F VALID_INHERIT_FLAGS
  afSuccessfulAccess,    // 0x40 SUCCESSFUL_ACCESS_ACE_FLAG
  afFailedAccess,        // 0x80 FAILED_ACCESS_ACE_FLAG
};
using TAceFlags = EnumSet<TAceFlag>;
// Reading, a member is present when all of its bits are set; writing, the bits of the members
// present are ORed. Header bits of no member (0x20) are not kept.
TAceFlags AceFlagsFromByte(std::uint8_t bits);
std::uint8_t AceFlagsToByte(TAceFlags flags);

// The GUIDs of an object entry; an absent one is not stored in the binary entry.
struct TAceObjectTypes {
  std::optional<TGuid> ObjectType;
  std::optional<TGuid> InheritedObjectType;
  friend bool operator==(const TAceObjectTypes&, const TAceObjectTypes&) = default;
};

constexpr std::uint8_t kAclRevision = 2;    // ACL_REVISION: plain entries
constexpr std::uint8_t kAclRevisionDs = 4;  // ACL_REVISION_DS: object entries need it

class TSecurityAccessControlList;

class TSecurityAccessControlEntry {
 public:
  virtual ~TSecurityAccessControlEntry() = default;
  TSecurityAccessControlEntry(const TSecurityAccessControlEntry&) = delete;
  TSecurityAccessControlEntry& operator=(const TSecurityAccessControlEntry&) = delete;

  // The kind: the ACE type byte read and written.
  virtual TAceType AceType() const = 0;
  virtual std::uint32_t AccessMask() const { return accessMask_; }

  // The list that holds the entry, or null.
  TSecurityAccessControlList* OwnerList() const { return ownerList_; }
  const std::shared_ptr<const TSecurityId>& SID() const { return sid_; }
  TAceFlags Flags() const { return flags_; }
  std::uint8_t Revision() const { return revision_; }
  const TAceObjectTypes& ObjectTypes() const { return objectTypes_; }
  bool IsInherited() const { return flags_.Contains(afInherited); }
  // Bytes of the binary entry before its SID.
  std::size_t FixedPartSize() const;

 protected:
  // Raises ESecurityException when sid is null.
  TSecurityAccessControlEntry(TAceFlags flags, std::uint32_t accessMask,
                              std::shared_ptr<const TSecurityId> sid, TAceObjectTypes objectTypes,
                              std::uint8_t revision);

 private:
  friend class TSecurityAccessControlList;
  TSecurityAccessControlList* ownerList_ = nullptr;
  std::shared_ptr<const TSecurityId> sid_;
  TAceFlags flags_;
  std::uint32_t accessMask_;
  std::uint8_t revision_;
  TAceObjectTypes objectTypes_;
};

class TDiscretionaryAccessControlEntry : public TSecurityAccessControlEntry {
 protected:
  using TSecurityAccessControlEntry::TSecurityAccessControlEntry;
};

// The allow family.
class TDiscretionaryAccessControlEntryAllow : public TDiscretionaryAccessControlEntry {
 public:
  TDiscretionaryAccessControlEntryAllow(TAceFlags flags, std::uint32_t accessMask,
                                        std::shared_ptr<const TSecurityId> sid)
      : TDiscretionaryAccessControlEntry(flags, accessMask, std::move(sid), {}, kAclRevision) {}
  TAceType AceType() const override { return atAccessAllowed; }

 protected:
  using TDiscretionaryAccessControlEntry::TDiscretionaryAccessControlEntry;
};

class TDiscretionaryAccessControlEntryCallbackAllow : public TDiscretionaryAccessControlEntryAllow {
 public:
  TDiscretionaryAccessControlEntryCallbackAllow(TAceFlags flags, std::uint32_t accessMask,
                                                std::shared_ptr<const TSecurityId> sid)
      : TDiscretionaryAccessControlEntryAllow(flags, accessMask, std::move(sid), {}, kAclRevision) {
  }
  TAceType AceType() const override { return atAccessAllowedCallback; }
};

class TDiscretionaryAccessControlEntryObjectAllow : public TDiscretionaryAccessControlEntryAllow {
 public:
  TDiscretionaryAccessControlEntryObjectAllow(TAceFlags flags, std::uint32_t accessMask,
                                              std::shared_ptr<const TSecurityId> sid,
                                              TAceObjectTypes objectTypes = {})
      : TDiscretionaryAccessControlEntryAllow(flags, accessMask, std::move(sid), objectTypes,
                                              kAclRevisionDs) {}
  TAceType AceType() const override { return atAccessAllowedObject; }
};

// The deny family.
class TDiscretionaryAccessControlEntryDeny : public TDiscretionaryAccessControlEntry {
 public:
  TDiscretionaryAccessControlEntryDeny(TAceFlags flags, std::uint32_t accessMask,
                                       std::shared_ptr<const TSecurityId> sid)
      : TDiscretionaryAccessControlEntry(flags, accessMask, std::move(sid), {}, kAclRevision) {}
  TAceType AceType() const override { return atAccessDenied; }

 protected:
  using TDiscretionaryAccessControlEntry::TDiscretionaryAccessControlEntry;
};

class TDiscretionaryAccessControlEntryCallbackDeny : public TDiscretionaryAccessControlEntryDeny {
 public:
  TDiscretionaryAccessControlEntryCallbackDeny(TAceFlags flags, std::uint32_t accessMask,
                                               std::shared_ptr<const TSecurityId> sid)
      : TDiscretionaryAccessControlEntryDeny(flags, accessMask, std::move(sid), {}, kAclRevision) {}
  TAceType AceType() const override { return atAccessDeniedCallback; }
};

class TDiscretionaryAccessControlEntryObjectDeny : public TDiscretionaryAccessControlEntryDeny {
 public:
  TDiscretionaryAccessControlEntryObjectDeny(TAceFlags flags, std::uint32_t accessMask,
                                             std::shared_ptr<const TSecurityId> sid,
                                             TAceObjectTypes objectTypes = {})
      : TDiscretionaryAccessControlEntryDeny(flags, accessMask, std::move(sid), objectTypes,
                                             kAclRevisionDs) {}
  TAceType AceType() const override { return atAccessDeniedObject; }
};

class TDiscretionaryAccessControlEntryCallbackObjectDeny
    : public TDiscretionaryAccessControlEntryDeny {
 public:
  TDiscretionaryAccessControlEntryCallbackObjectDeny(TAceFlags flags, std::uint32_t accessMask,
                                                     std::shared_ptr<const TSecurityId> sid,
                                                     TAceObjectTypes objectTypes = {})
      : TDiscretionaryAccessControlEntryDeny(flags, accessMask, std::move(sid), objectTypes,
                                             kAclRevisionDs) {}
  TAceType AceType() const override { return atAccessDeniedCallbackObject; }
};

// The audit family.
class TAuditAccessControlEntry : public TSecurityAccessControlEntry {
 public:
  TAuditAccessControlEntry(TAceFlags flags, std::uint32_t accessMask,
                           std::shared_ptr<const TSecurityId> sid)
      : TSecurityAccessControlEntry(flags, accessMask, std::move(sid), {}, kAclRevision) {}
  TAceType AceType() const override { return atSystemAudit; }

 protected:
  using TSecurityAccessControlEntry::TSecurityAccessControlEntry;
};

class TAuditAccessControlEntryCallback : public TAuditAccessControlEntry {
 public:
  TAuditAccessControlEntryCallback(TAceFlags flags, std::uint32_t accessMask,
                                   std::shared_ptr<const TSecurityId> sid)
      : TAuditAccessControlEntry(flags, accessMask, std::move(sid), {}, kAclRevision) {}
  TAceType AceType() const override { return atSystemAuditCallback; }
};

class TAuditAccessControlEntryObject : public TAuditAccessControlEntry {
 public:
  TAuditAccessControlEntryObject(TAceFlags flags, std::uint32_t accessMask,
                                 std::shared_ptr<const TSecurityId> sid,
                                 TAceObjectTypes objectTypes = {})
      : TAuditAccessControlEntry(flags, accessMask, std::move(sid), objectTypes, kAclRevisionDs) {}
  TAceType AceType() const override { return atSystemAuditObject; }
};

class TAuditAccessControlEntryCallbackObject : public TAuditAccessControlEntry {
 public:
  TAuditAccessControlEntryCallbackObject(TAceFlags flags, std::uint32_t accessMask,
                                         std::shared_ptr<const TSecurityId> sid,
                                         TAceObjectTypes objectTypes = {})
      : TAuditAccessControlEntry(flags, accessMask, std::move(sid), objectTypes, kAclRevisionDs) {}
  TAceType AceType() const override { return atSystemAuditCallbackObject; }
};

class TSystemMandatoryAccessControlEntry : public TSecurityAccessControlEntry {
 public:
  TSystemMandatoryAccessControlEntry(TAceFlags flags, std::uint32_t accessMask,
                                     std::shared_ptr<const TSecurityId> sid)
      : TSecurityAccessControlEntry(flags, accessMask, std::move(sid), {}, kAclRevision) {}
  TAceType AceType() const override { return atSystemMandatoryLabel; }
};

// A new entry of the class the type names (object types are ignored for plain kinds); raises
// ESecurityException for an unsupported type or a null sid.
std::unique_ptr<TSecurityAccessControlEntry> CreateAccessControlEntry(
    std::uint8_t type, TAceFlags flags, std::uint32_t accessMask,
    std::shared_ptr<const TSecurityId> sid, const TAceObjectTypes& objectTypes = {});

// A new entry from the binary entry that fills the bytes exactly: the class by its type byte,
// flags, mask, the object fields, and a copy of its SID. Raises ESecurityException when the type
// is not supported or the fields or the SID do not fit the entry. Bytes behind the SID are not
// kept.
std::unique_ptr<TSecurityAccessControlEntry> CreateACE(TBytes binaryEntry);

}  // namespace qv
