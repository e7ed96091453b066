// A security descriptor in memory: owner, group, the DACL and the SACL, the control flags and the
// defaulted flags, as read from an object or made empty. Which parts of it a read or a write
// touches is said by a set of parts, the SECURITY_INFORMATION value of the platform.
#pragma once

#include <cstdint>
#include <optional>

#include "framework/enum_set.h"
#include "security/access_list.h"
#include "security/dacl.h"
#include "security/sid.h"

namespace qv {

// In the order of their bits below.
enum class SecurityPart {
  Owner,            // OWNER_SECURITY_INFORMATION 0x00000001
  Group,            // GROUP_SECURITY_INFORMATION 0x00000002
  Dacl,             // DACL_SECURITY_INFORMATION 0x00000004
  Sacl,             // SACL_SECURITY_INFORMATION 0x00000008
  Label,            // LABEL_SECURITY_INFORMATION 0x00000010
  ProtectedDacl,    // PROTECTED_DACL_SECURITY_INFORMATION 0x80000000
  ProtectedSacl,    // PROTECTED_SACL_SECURITY_INFORMATION 0x40000000
  UnprotectedDacl,  // UNPROTECTED_DACL_SECURITY_INFORMATION 0x20000000
  UnprotectedSacl,  // UNPROTECTED_SACL_SECURITY_INFORMATION 0x10000000
};
using SecurityParts = EnumSet<SecurityPart>;
// The OR of the members' bits.
std::uint32_t SecurityInformationOf(SecurityParts parts);

enum class ControlFlag {
  OwnerDefaulted,      // SE_OWNER_DEFAULTED 0x0001
  GroupDefaulted,      // SE_GROUP_DEFAULTED 0x0002
  DaclPresent,         // SE_DACL_PRESENT 0x0004
  DaclDefaulted,       // SE_DACL_DEFAULTED 0x0008
  SaclPresent,         // SE_SACL_PRESENT 0x0010
  SaclDefaulted,       // SE_SACL_DEFAULTED 0x0020
  DaclAutoInheritReq,  // SE_DACL_AUTO_INHERIT_REQ 0x0100
  SaclAutoInheritReq,  // SE_SACL_AUTO_INHERIT_REQ 0x0200
  DaclAutoInherited,   // SE_DACL_AUTO_INHERITED 0x0400
  SaclAutoInherited,   // SE_SACL_AUTO_INHERITED 0x0800
  DaclProtected,       // SE_DACL_PROTECTED 0x1000
  SaclProtected,       // SE_SACL_PROTECTED 0x2000
  RmControlValid,      // SE_RM_CONTROL_VALID 0x4000
  SelfRelative,        // SE_SELF_RELATIVE 0x8000
};
using ControlFlags = EnumSet<ControlFlag>;
// A member is present when its bit is set; the bits of no member (0x00C0) are not kept.
ControlFlags ControlFlagsOf(std::uint16_t word);
std::uint16_t ControlWordOf(ControlFlags flags);

enum class Protection { NotStated, Protected };

// A plain value: what a read found, changed in memory by its owner, given to a write.
struct SecurityDescriptor {
  std::optional<Sid> owner;
  std::optional<Sid> group;
  // Nothing both for a descriptor without a DACL and for a NULL DACL: neither has a list to
  // change, and a NULL DACL must never be written back by mistake. A new descriptor's is empty.
  std::optional<Dacl> dacl = Dacl();
  Sacl sacl;
  ControlFlags control;
  bool ownerDefaulted = false;
  bool groupDefaulted = false;
  bool daclDefaulted = false;
  bool saclDefaulted = false;

  // Index 0 asks about the DACL, 1 about the SACL: protected when the control flags say so.
  // Raises SecurityError for any other index.
  Protection GetProtectedState(int index) const;
};

}  // namespace qv
