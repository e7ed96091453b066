// A security descriptor in memory: owner, group, DACL, SACL and the control flags, built from the
// descriptor the platform returned for a named object.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/enum_set.h"
#include "security/access_control_list.h"
#include "security/file_security_platform.h"
#include "security/security_id.h"

namespace qv {

// Parts of a descriptor; each member stands for one SECURITY_INFORMATION bit.
enum TSecurityInformationFlag {
  siOwner,            // 0x00000001 OWNER_SECURITY_INFORMATION
  siGroup,            // 0x00000002 GROUP_SECURITY_INFORMATION
  siDacl,             // 0x00000004 DACL_SECURITY_INFORMATION
  siSacl,             // 0x00000008 SACL_SECURITY_INFORMATION
  siLabel,            // 0x00000010 LABEL_SECURITY_INFORMATION
  siProtectedDacl,    // 0x80000000 PROTECTED_DACL_SECURITY_INFORMATION
  siProtectedSacl,    // 0x40000000 PROTECTED_SACL_SECURITY_INFORMATION
  siUnprotectedDacl,  // 0x20000000 UNPROTECTED_DACL_SECURITY_INFORMATION
  siUnprotectedSacl,  // 0x10000000 UNPROTECTED_SACL_SECURITY_INFORMATION
};
using TSecurityInformation = EnumSet<TSecurityInformationFlag>;
// The OR of the members' bits.
std::uint32_t SecurityInformationValue(TSecurityInformation parts);

// Descriptor control flags; each member stands for one SECURITY_DESCRIPTOR_CONTROL bit.
enum TSecurityDescriptorControlFlag {
  sdcOwnerDefaulted,      // 0x0001
  sdcGroupDefaulted,      // 0x0002
  sdcDaclPresent,         // 0x0004
  sdcDaclDefaulted,       // 0x0008
  sdcSaclPresent,         // 0x0010
  sdcSaclDefaulted,       // 0x0020
  sdcDaclAutoInheritReq,  // 0x0100
  sdcSaclAutoInheritReq,  // 0x0200
  sdcDaclAutoInherited,   // 0x0400
  sdcSaclAutoInherited,   // 0x0800
  sdcDaclProtected,       // 0x1000
  sdcSaclProtected,       // 0x2000
  sdcRmControlValid,      // 0x4000
  sdcSelfRelative,        // 0x8000
};
using TSecurityDescriptorControl = EnumSet<TSecurityDescriptorControlFlag>;
// A member is present when its bit is set; other bits are not kept.
TSecurityDescriptorControl ControlFromWord(std::uint16_t word);
// The OR of the members' bits.
std::uint16_t ControlToWord(TSecurityDescriptorControl control);

enum TProtectionState { psNotStated, psProtected };

class TSecurityDescriptor {
 public:
  // No owner, no group, an empty DACL and an empty SACL.
  TSecurityDescriptor();
  // Built from a descriptor the platform returned (the caller releases that one). Each failing
  // query raises ESecurityException; what was built so far goes with the object.
  TSecurityDescriptor(IFileSecurityPlatform& platform, TPlatformDescriptor descriptor);
  TSecurityDescriptor(const TSecurityDescriptor&) = delete;
  TSecurityDescriptor& operator=(const TSecurityDescriptor&) = delete;

  const std::shared_ptr<const TSecurityId>& Owner() const { return owner_; }
  const std::shared_ptr<const TSecurityId>& Group() const { return group_; }
  // Null for a descriptor without a DACL and for a NULL DACL alike.
  TDAccessControlList* DACL() const { return dacl_.get(); }
  TSAccessControlList& SACL() const { return *sacl_; }
  TSecurityDescriptorControl Control() const { return control_; }
  bool OwnerDefaulted() const { return ownerDefaulted_; }
  bool GroupDefaulted() const { return groupDefaulted_; }
  bool DaclDefaulted() const { return daclDefaulted_; }
  bool SaclDefaulted() const { return saclDefaulted_; }

  // Index 0: the DACL, 1: the SACL; protected when the control flags say so. Any other index
  // raises ESecurityException.
  TProtectionState GetProtectedState(int index) const;

 private:
  std::shared_ptr<const TSecurityId> owner_;
  std::shared_ptr<const TSecurityId> group_;
  std::unique_ptr<TDAccessControlList> dacl_;
  std::unique_ptr<TSAccessControlList> sacl_;
  TSecurityDescriptorControl control_;
  bool ownerDefaulted_ = false;
  bool groupDefaulted_ = false;
  bool daclDefaulted_ = false;
  bool saclDefaulted_ = false;
};

}  // namespace qv
